// The recorder under faults: a store it cannot open, one locked by another
// program, a damaged file; minutes held in memory, retried on the event
// clock and written in order once the store works again.

#include "platform/clock.h"
#include "recording/log_record.h"
#include "store/minute_recorder.h"
#include "store_test_util.h"
#include "support/temp_dir.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace korvane {
namespace {

using test::queryOne;
using test::queryRows;
using test::Rows;

constexpr std::int64_t kT0 = 1796740200000; // 2026-12-08 14:30:00 UTC
constexpr std::int64_t kMin = 60000;
const std::string kDay = "2026_12_8";

const Reading kReading{12.5, 2.0, 25.0, 300, 6.5, 1};

// One packet and 0.5 Wh in each of `count` minutes from `first`.
void feedMinutes(MinuteRecorder& r, std::int64_t first, int count) {
    for (int k = 0; k < count; ++k) {
        r.packet(kReading, first + k * kMin + 1000, kDay);
        r.energy(0.5, first + k * kMin + 2000, kDay);
    }
}

std::string storedTs(const std::string& path) {
    std::string out;
    for (const auto& row : queryRows(path, "SELECT (ts - 1796740200) / 60 FROM minutes"))
        out += row[0] + " ";
    return out;
}

class RecorderTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string path = dir.file("korvane.db");
};

TEST_F(RecorderTest, CommitsEachMinuteWhenTheNextOneStarts) {
    MinuteRecorder r(path, kT0, kDay);
    feedMinutes(r, kT0, 3);
    EXPECT_EQ(storedTs(path), "0 1 ");
    EXPECT_DOUBLE_EQ(r.energyOfDay(kDay), 1.5); // two stored, one in memory
    r.close(kT0 + 2 * kMin + 5000);
    EXPECT_EQ(storedTs(path), "0 1 2 ");
    EXPECT_EQ(queryOne(path, "SELECT load_on_s FROM minutes WHERE ts = 1796740200"), "10.0");
    EXPECT_EQ(r.problem(), "");

    // The window resumes its total from the store at the next start.
    MinuteRecorder next(path, kT0 + 10 * kMin, kDay);
    EXPECT_DOUBLE_EQ(next.energyOfDay(kDay), 1.5);
    EXPECT_DOUBLE_EQ(next.energyOfDay("2026_12_9"), 0.0);
}

TEST_F(RecorderTest, MinutesThatCannotBeWrittenAreHeldAndWrittenInOrderLater) {
    dir.mkdir("korvane.db"); // a folder where the file should be
    MinuteRecorder r(path, kT0, kDay);
    const std::string problem = r.problem();
    EXPECT_NE(problem.find("Cannot open history store " + path), std::string::npos) << problem;
    EXPECT_NE(problem.find("retrying, 0 minutes kept in memory"), std::string::npos) << problem;

    feedMinutes(r, kT0, 4); // minutes 0..2 end; the retry at +5 s fails again
    EXPECT_EQ(r.heldMinutes(), 3u);
    EXPECT_DOUBLE_EQ(r.energyOfDay(kDay), 2.0);
    EXPECT_NE(r.problem().find("3 minutes kept in memory"), std::string::npos) << r.problem();

    std::filesystem::remove(path);
    // The last failure was at minute 1 + 2 s, so the next try is 30 s later.
    r.poll(kT0 + 3 * kMin + 30000);
    EXPECT_EQ(r.heldMinutes(), 3u);
    r.poll(kT0 + 3 * kMin + 33000);
    EXPECT_EQ(r.heldMinutes(), 0u);
    EXPECT_EQ(r.problem(), "");
    EXPECT_EQ(storedTs(path), "0 1 2 ");
    EXPECT_EQ(queryOne(path, "SELECT wh FROM days"), "1.5");
}

TEST_F(RecorderTest, RetriesWaitFiveSecondsThenThirtyOnTheEventClock) {
    const struct {
        std::vector<int> failingPollsSec; // polls while the path is still bad
        int pollSec;                      // the poll after the path is mended
        bool opens;
    } cases[] = {
        {{}, 4, false},      {{}, 5, true},   {{1, 2, 3, 4}, 5, true},
        {{5}, 34, false},    {{5}, 35, true}, {{5, 35}, 64, false},
        {{5, 35}, 65, true}, {{}, -60, true}, // clock set back: no long wait
    };
    for (const auto& c : cases) {
        test::TempDir d;
        d.write("parent", "a file where a folder should be");
        MinuteRecorder r(d.file("parent/korvane.db"), kT0, kDay);
        EXPECT_NE(r.problem().find("Cannot open history store"), std::string::npos);
        for (const int s : c.failingPollsSec)
            r.poll(kT0 + s * 1000);
        std::filesystem::remove(d.file("parent"));
        d.mkdir("parent");
        r.poll(kT0 + c.pollSec * 1000);
        EXPECT_EQ(r.store() != nullptr, c.opens) << c.pollSec;
    }
}

TEST_F(RecorderTest, ALockedStoreNeverBlocksAndCatchesUpWhenReleased) {
    { MinuteRecorder created(path, kT0, kDay); }
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO meta VALUES('x', 1)", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);

    MinuteRecorder r(path, kT0, kDay);
    const auto start = std::chrono::steady_clock::now();
    feedMinutes(r, kT0, 2);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(500));
    EXPECT_EQ(r.heldMinutes(), 1u);
    EXPECT_EQ(r.problem(), "History store " + path +
                               " is locked by another program; retrying, 1 minute kept in memory");

    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    r.poll(kT0 + kMin + 3000); // before the 5 s delay: nothing yet
    EXPECT_EQ(r.heldMinutes(), 1u);
    r.poll(kT0 + kMin + 7000);
    EXPECT_EQ(r.heldMinutes(), 0u);
    EXPECT_EQ(storedTs(path), "0 ");
}

TEST_F(RecorderTest, ADamagedFileIsSetAsideWithItsBytesAndANewOneStarted) {
    const struct {
        const char* name;
        bool damageInsideAStore;
    } cases[] = {{"not a database at all", false}, {"a store with a torn page", true}};
    for (const auto& c : cases) {
        test::TempDir d;
        const std::string db = d.file("korvane.db");
        if (c.damageInsideAStore) {
            std::vector<MinuteSummary> minutes(2000);
            for (std::size_t k = 0; k < minutes.size(); ++k) {
                minutes[k].ts = static_cast<std::int64_t>(1796740200 + 60 * k);
                minutes[k].date = 20261208;
                minutes[k].packets = 1;
            }
            ASSERT_TRUE(HistoryStore::open(db, 20261208).store->commitMinutes(minutes).ok());
            sqlite3* raw = nullptr;
            sqlite3_open(db.c_str(), &raw);
            sqlite3_exec(raw, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
            sqlite3_close(raw);
            std::string bytes = d.read("korvane.db");
            ASSERT_GT(bytes.size(), 40000u) << c.name;
            for (std::size_t i = 20000; i < 36000; ++i)
                bytes[i] = static_cast<char>(0x5a);
            d.write("korvane.db", bytes);
        } else {
            d.write("korvane.db", std::string(8192, 'k'));
        }
        const std::string damaged = d.read("korvane.db");

        MinuteRecorder r(db, kT0 + 3000 * kMin, kDay);
        EXPECT_EQ(r.problem(), "") << c.name;
        ASSERT_TRUE(r.store()) << c.name;
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(d.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        ASSERT_GE(names.size(), 2u) << c.name;
        EXPECT_EQ(names[0].rfind("korvane-corrupt-2026-12-", 0), 0u) << names[0];
        EXPECT_EQ(names[0].substr(names[0].size() - 3), ".db") << names[0];
        EXPECT_EQ(d.read(names[0]), damaged) << c.name;
        EXPECT_NE(r.notice().find("was damaged; it is kept as " + names[0]), std::string::npos)
            << r.notice();
        feedMinutes(r, kT0 + 3000 * kMin, 2);
        EXPECT_EQ(queryOne(db, "SELECT count(*) FROM minutes"), "1") << c.name;
    }
}

TEST_F(RecorderTest, PastSevenDaysTheOldestHeldMinutesGo) {
    dir.mkdir("korvane.db");
    MinuteRecorder r(path, kT0, kDay);
    const int extra = 5;
    const int total = static_cast<int>(MinuteRecorder::kMaxHeldMinutes) + extra;
    for (int k = 0; k <= total; ++k)
        r.energy(0.25, kT0 + k * kMin, kDay);
    EXPECT_EQ(r.heldMinutes(), MinuteRecorder::kMaxHeldMinutes);
    EXPECT_EQ(r.droppedMinutes(), 5u);
    EXPECT_NE(r.problem().find("10080 minutes kept in memory, 5 oldest dropped"), std::string::npos)
        << r.problem();

    std::filesystem::remove(path);
    std::int64_t now = kT0 + total * kMin;
    for (int k = 0; k < 20 && r.heldMinutes() > 0; ++k)
        r.poll(now += 31000);
    EXPECT_EQ(r.heldMinutes(), 0u);
    EXPECT_EQ(queryOne(path, "SELECT count(*) FROM minutes"), std::to_string(total - extra));
    EXPECT_EQ(queryOne(path, "SELECT (min(ts) - 1796740200) / 60 FROM minutes"), "5");
    EXPECT_EQ(queryOne(path, "SELECT sum(wh) FROM minutes"), "2520.0");
}

// A packet and 0.5 Wh at the clock's time, then a minute later.
void feedFromClock(MinuteRecorder& r, FakeClock& clock, int minutes) {
    for (int k = 0; k < minutes; ++k) {
        r.packet(kReading, clock.utcMs(), dayKey(clock.now()));
        r.energy(0.5, clock.utcMs() + 1000, dayKey(clock.now()));
        clock.advanceSeconds(60);
    }
}

TEST_F(RecorderTest, MinutesOfAClockThatWasNotSetAreRefusedAndNamedOnce) {
    FakeClock clock({1970, 1, 1, 0, 0, 5});
    MinuteRecorder r(path, clock.utcMs(), dayKey(clock.now()));
    feedFromClock(r, clock, 3);
    EXPECT_EQ(r.refusedMinutes(), 2u);
    EXPECT_EQ(r.notice(), "History store: minutes dated 1970-01-01 00:00 UTC are not stored "
                          "(before 2000 or after 2099): check the computer's clock");
    clock.set({2026, 12, 8, 14, 30, 5}); // the network put it right
    feedFromClock(r, clock, 2);
    clock.set({2100, 1, 1, 0, 0, 5});
    feedFromClock(r, clock, 1);
    r.close(clock.utcMs());
    EXPECT_EQ(r.refusedMinutes(), 4u);
    EXPECT_EQ(storedTs(path), "0 1 ");
    EXPECT_EQ(queryOne(path, "SELECT day || ' ' || wh FROM days"), "2026_12_8 1.0");
    EXPECT_NE(r.notice().find("1970-01-01 00:00 UTC"), std::string::npos); // the first, once
}

TEST_F(RecorderTest, AClockSetBackNeverStoresAMinuteTwice) {
    for (const bool outage : {false, true}) {
        test::TempDir d;
        const std::string db = d.file("korvane.db");
        if (outage)
            d.mkdir("korvane.db"); // the minutes wait in memory, then go in one batch
        FakeClock clock({2026, 12, 8, 14, 30, 5});
        MinuteRecorder r(db, clock.utcMs(), dayKey(clock.now()));
        feedFromClock(r, clock, 6);
        clock.set({2026, 12, 8, 14, 33, 5}); // three minutes back
        feedFromClock(r, clock, 3);
        if (outage)
            std::filesystem::remove(db);
        r.close(clock.utcMs());
        EXPECT_EQ(queryOne(db, "SELECT group_concat(((ts - 1796740200) / 60) || ':' || packets, "
                               "' ') FROM (SELECT * FROM minutes ORDER BY ts)"),
                  "0:1 1:1 2:1 3:2 4:2 5:2")
            << outage;
        EXPECT_EQ(queryOne(db, "SELECT minutes || ' ' || packets || ' ' || wh FROM days"),
                  "6 9 4.5")
            << outage;
    }
}

TEST_F(RecorderTest, AStoreMovedAwayWhileInUseIsFollowedByANewFile) {
    MinuteRecorder r(path, kT0, kDay);
    feedMinutes(r, kT0, 2); // minute 0 stored
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::rename(path + suffix, dir.file(std::string("moved.db") + suffix));
    feedMinutes(r, kT0 + 2 * kMin, 2);
    EXPECT_EQ(storedTs(path), "1 2 ");
    EXPECT_EQ(storedTs(dir.file("moved.db")), "0 ");
    EXPECT_NE(r.notice().find("was moved away while in use"), std::string::npos) << r.notice();
}

} // namespace
} // namespace korvane
