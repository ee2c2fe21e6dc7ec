// korvane.db through its views, read back as another program would: known
// answers for minutes, days and merges, the schema's migrations, and one
// look through the sqlite3 command.

#include "store/history_store.h"
#include "store/store_schema.h"
#include "store_test_util.h"
#include "support/temp_dir.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace korvane {
namespace {

using test::queryOne;
using test::queryRows;
using test::Rows;

// 2026-12-08 14:30:00 UTC.
constexpr std::int64_t kTs = 1796740200;

MinuteSummary minuteAt(std::int64_t ts, int date, std::int64_t packets, double wh) {
    MinuteSummary m;
    m.ts = ts;
    m.date = date;
    m.packets = packets;
    if (packets > 0) {
        m.volts = {12.25, 12.8766, 13.5};
        m.amps = {-1.25, 2.5, 4.75};
        m.watts = {0, 31.0625, 64.13};
        m.rpmMean = 412.3456;
        m.rpmMax = 480.4;
        m.windMean = 7.25;
        m.windMax = 11.9;
        m.loadOnMs = 12500;
    }
    m.wh = wh;
    return m;
}

class StoreTest : public ::testing::Test {
protected:
    std::unique_ptr<HistoryStore> openStore(int createdDate = 20261208) {
        auto opened = HistoryStore::open(path, createdDate);
        EXPECT_TRUE(opened.result.ok()) << opened.result.text;
        return std::move(opened.store);
    }
    test::TempDir dir;
    std::string path = dir.file("korvane.db");
};

TEST_F(StoreTest, ViewsHaveExactlyTheDocumentedColumns) {
    openStore();
    EXPECT_EQ(test::columnNames(path, "minutes"),
              (std::vector<std::string>{"ts", "day", "packets", "volts_min", "volts_mean",
                                        "volts_max", "amps_min", "amps_mean", "amps_max",
                                        "watts_min", "watts_mean", "watts_max", "rpm_mean",
                                        "rpm_max", "wind_mean", "wind_max", "load_on_s", "wh"}));
    EXPECT_EQ(test::columnNames(path, "days"),
              (std::vector<std::string>{"day", "first_ts", "last_ts", "minutes", "packets", "wh",
                                        "volts_min", "volts_max", "watts_max", "wind_max",
                                        "load_on_min"}));
    EXPECT_EQ(test::columnNames(path, "records"),
              (std::vector<std::string>{"day", "seq", "time", "volts", "amps", "watts", "rpm",
                                        "wind", "mode"}));
    EXPECT_EQ(test::columnNames(path, "alarms"),
              (std::vector<std::string>{"ts", "name", "state", "value"}));
    EXPECT_EQ(queryOne(path, "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(queryOne(path, "PRAGMA user_version"), "3");
}

TEST_F(StoreTest, MinutesViewGivesPlainUnitsAtTheStoredResolution) {
    auto store = openStore();
    const std::array minutes{minuteAt(kTs, 20261208, 30, 0.5),
                             minuteAt(kTs + 60, 20261208, 0, 0.25)};
    ASSERT_TRUE(store->commitMinutes(minutes).ok());
    const Rows rows = queryRows(path, "SELECT * FROM minutes ORDER BY ts");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"1796740200", "2026_12_8", "30", "12.25", "12.877", "13.5",
                                        "-1.25", "2.5", "4.75", "0.0", "31.063", "64.13", "412.346",
                                        "480.4", "7.25", "11.9", "12.5", "0.5"}));
    // Energy and no packets: statistics unknown, not zero.
    EXPECT_EQ(rows[1], (std::vector<std::string>{"1796740260", "2026_12_8", "0", "", "", "", "", "",
                                                 "", "", "", "", "", "", "", "", "0.0", "0.25"}));
    const auto back = store->minutes(kTs, kTs + 60);
    ASSERT_TRUE(back && back->size() == 2);
    EXPECT_DOUBLE_EQ((*back)[0].volts.mean, 12.877);
    EXPECT_EQ((*back)[1].packets, 0);
}

TEST_F(StoreTest, DaysAddUpTheirMinutesAcrossMidnight) {
    auto store = openStore();
    // 23:58 and 23:59 of the 8th, 00:00 of the 9th as the caller's day keys say.
    std::array minutes{minuteAt(kTs, 20261208, 30, 0.5), minuteAt(kTs + 60, 20261208, 0, 0.25),
                       minuteAt(kTs + 120, 20261209, 10, 2.0)};
    minutes[2].volts = {11.5, 11.6, 11.75};
    minutes[2].watts.max = 70;
    minutes[2].windMax = 3;
    ASSERT_TRUE(store->commitMinutes(minutes).ok());
    EXPECT_EQ(queryRows(path, "SELECT * FROM days"),
              (Rows{{"2026_12_8", "1796740200", "1796740260", "2", "30", "0.75", "12.25", "13.5",
                     "64.13", "11.9", "0.208333333333333"},
                    {"2026_12_9", "1796740320", "1796740320", "1", "10", "2.0", "11.5", "11.75",
                     "70.0", "3.0", "0.208333333333333"}}));
    EXPECT_DOUBLE_EQ(*store->energyOfDate(20261208), 0.75);
    EXPECT_DOUBLE_EQ(*store->energyOfDate(20261209), 2.0);
    EXPECT_DOUBLE_EQ(*store->energyOfDate(20261210), 0.0);
    const auto totals = store->dayTotals(20261209, 20261231);
    ASSERT_TRUE(totals && totals->size() == 1);
    EXPECT_EQ((*totals)[0].minutes, 1);
    EXPECT_EQ((*totals)[0].packets, 10);
}

TEST_F(StoreTest, ARepeatedMinuteMergesIntoItsRowAndItsDay) {
    auto store = openStore();
    MinuteSummary first = minuteAt(kTs, 20261208, 2, 1.0);
    first.volts = {11, 12, 13};
    MinuteSummary again = minuteAt(kTs, 20261209, 6, 0.5); // clock set back, later day key
    again.volts = {12, 14, 15};
    again.windMean = 9.25;
    ASSERT_TRUE(store->commitMinutes(std::array{first}).ok());
    ASSERT_TRUE(store->commitMinutes(std::array{again}).ok());
    EXPECT_EQ(queryRows(path, "SELECT ts, day, packets, volts_min, volts_mean, volts_max, "
                              "load_on_s, wh FROM minutes"),
              (Rows{{"1796740200", "2026_12_8", "8", "11.0", "13.5", "15.0", "25.0", "1.5"}}));
    EXPECT_EQ(queryRows(path, "SELECT day, minutes, packets, wh, volts_min, volts_max FROM days"),
              (Rows{{"2026_12_8", "1", "8", "1.5", "11.0", "15.0"}}));
    // The power curve sees one minute with the merged means, not two.
    const auto points = store->windPowerPoints(20261208, 20261209);
    ASSERT_TRUE(points);
    ASSERT_EQ(points->size(), 1u);
    EXPECT_DOUBLE_EQ((*points)[0].wind, 8.75);
    EXPECT_DOUBLE_EQ((*points)[0].watts, 31.063);
}

TEST_F(StoreTest, ARepeatedLocalHourMakesNoDuplicateMinutes) {
    // Europe's autumn change on 2026-10-25: 02:00-03:00 local comes twice,
    // but the UTC minutes 00:00-01:59 are all distinct and all one day.
    auto store = openStore();
    constexpr std::int64_t kMidnightUtc = 1792886400; // 2026-10-25 00:00 UTC
    std::vector<MinuteSummary> minutes;
    for (int k = 0; k < 120; ++k)
        minutes.push_back(minuteAt(kMidnightUtc + 60 * k, 20261025, 6, 0.125));
    ASSERT_TRUE(store->commitMinutes(minutes).ok());
    EXPECT_EQ(queryRows(path, "SELECT day, minutes, packets, wh FROM days"),
              (Rows{{"2026_10_25", "120", "720", "15.0"}}));
}

TEST_F(StoreTest, WindBinsAndScatterCoverTheDateRange) {
    auto store = openStore();
    std::vector<MinuteSummary> minutes;
    const double winds[] = {0.4, 1.2, 1.9, 2.0, 5.5};
    const double watts[] = {0, 10, 20, 40, 300};
    for (int k = 0; k < 5; ++k) {
        MinuteSummary m = minuteAt(kTs + 60 * k, 20261208, 6, 0.1);
        m.windMean = winds[k];
        m.watts.mean = watts[k];
        minutes.push_back(m);
    }
    minutes.push_back(minuteAt(kTs + 600, 20261208, 0, 0.1));   // no packets: not a point
    minutes.push_back(minuteAt(kTs + 86400, 20261209, 6, 0.1)); // outside the range
    ASSERT_TRUE(store->commitMinutes(minutes).ok());

    const auto bins = store->windBins(20261201, 20261208, 1.0);
    ASSERT_TRUE(bins);
    ASSERT_EQ(bins->size(), 4u);
    const struct {
        double from;
        std::int64_t n;
        double watts;
    } expected[] = {{0, 1, 0}, {1, 2, 15}, {2, 1, 40}, {5, 1, 300}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ((*bins)[i].windFrom, expected[i].from);
        EXPECT_DOUBLE_EQ((*bins)[i].windTo, expected[i].from + 1);
        EXPECT_EQ((*bins)[i].minutes, expected[i].n);
        EXPECT_DOUBLE_EQ((*bins)[i].meanWatts, expected[i].watts);
    }
    const auto points = store->windPowerPoints(20261208, 20261208);
    ASSERT_TRUE(points && points->size() == 5);
    EXPECT_DOUBLE_EQ((*points)[4].wind, 5.5);
    EXPECT_DOUBLE_EQ((*points)[4].watts, 300);
    EXPECT_TRUE(store->windBins(20261201, 20261208, 0)->empty());
    EXPECT_TRUE(store->windBins(20270101, 20271231, 1)->empty());
}

TEST_F(StoreTest, EveryEarlierVersionMigratesToTheCurrentOne) {
    const int current = currentSchemaVersion();
    for (int from = 0; from < current; ++from) {
        const std::string file = dir.file("v" + std::to_string(from) + ".db");
        {
            sqlite3* raw = nullptr;
            ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
            const Database db(raw);
            ASSERT_EQ(migrate(db, 0, from, {20200101}), SQLITE_OK);
            // What an older file holds comes through the migration.
            if (from >= 1) {
                ASSERT_EQ(db.exec("INSERT INTO minute(ts, date, packets, load_ms, wh) "
                                  "VALUES(1796731200, 20261208, 0, 0, 2.5)"),
                          SQLITE_OK);
            }
        }
        auto opened = HistoryStore::open(file, 20261208);
        ASSERT_TRUE(opened.result.ok()) << from << ": " << opened.result.text;
        EXPECT_EQ(queryOne(file, "PRAGMA user_version"), std::to_string(current));
        EXPECT_EQ(queryOne(file, "SELECT count(*) FROM minutes"), from >= 1 ? "1" : "0");
        EXPECT_EQ(queryOne(file, "SELECT count(*) FROM alarms"), "0");
        EXPECT_EQ(opened.store->createdDate(), from == 0 ? 20261208 : 20200101);
    }
}

TEST_F(StoreTest, AnEmptyFileIsVersionZeroAndBecomesAStore) {
    dir.write("korvane.db", "");
    auto store = openStore(20261208);
    ASSERT_TRUE(store);
    EXPECT_EQ(store->createdDate(), 20261208);
    EXPECT_EQ(queryOne(path, "SELECT value FROM meta WHERE key = 'created_date'"), "20261208");
    // Reopening keeps the first creation date.
    store.reset();
    EXPECT_EQ(openStore(20270101)->createdDate(), 20261208);
}

TEST_F(StoreTest, ANewerVersionIsRefusedAndLeftUntouched) {
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        const Database db(raw);
        ASSERT_EQ(db.exec("CREATE TABLE future(x); PRAGMA user_version = 4"), SQLITE_OK);
    }
    ASSERT_EQ(currentSchemaVersion(), 3);
    const std::string before = dir.read("korvane.db");
    const auto opened = HistoryStore::open(path, 20261208);
    EXPECT_EQ(opened.result.status, StoreStatus::TooNew);
    EXPECT_EQ(opened.result.text, "written by a newer Korvane (schema 4, this one knows 3)");
    EXPECT_FALSE(opened.store);
    EXPECT_EQ(dir.read("korvane.db"), before);
    EXPECT_EQ(queryOne(path, "PRAGMA journal_mode"), "delete");
}

TEST_F(StoreTest, TheSqliteCommandReadsTheDaysAsAUserWould) {
    auto store = openStore();
    ASSERT_TRUE(store
                    ->commitMinutes(std::array{minuteAt(kTs, 20261208, 30, 0.5),
                                               minuteAt(kTs + 60, 20261208, 12, 1.25)})
                    .ok());
    const std::string command = "sqlite3 -csv " + path + " \"select * from days\"";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string out;
    char buf[512];
    while (const std::size_t n = std::fread(buf, 1, sizeof buf, pipe))
        out.append(buf, n);
    ASSERT_EQ(::pclose(pipe), 0);
    EXPECT_EQ(out, "2026_12_8,1796740200,1796740260,2,42,1.75,12.25,13.5,64.13,11.9,"
                   "0.416666666666667\n");
}

TEST_F(StoreTest, AConnectionKnowsWhenItsFileWasMovedAway) {
    namespace fs = std::filesystem;
    const struct {
        const char* name;
        void (*change)(const std::string& db);
    } cases[] = {
        {"untouched", [](const std::string&) {}},
        {"renamed aside", [](const std::string& db) { fs::rename(db, db + ".aside"); }},
        {"deleted", [](const std::string& db) { fs::remove(db); }},
        {"replaced by a copy",
         [](const std::string& db) {
             fs::copy_file(db, db + ".copy");
             fs::rename(db + ".copy", db);
         }},
    };
    for (const auto& c : cases) {
        test::TempDir d;
        const std::string db = d.file("korvane.db");
        auto store = HistoryStore::open(db, 20261208).store;
        ASSERT_TRUE(store);
        c.change(db);
        EXPECT_EQ(store->movedAway(), std::string(c.name) != "untouched") << c.name;
    }
}

TEST_F(StoreTest, CarriedOutboxRowsKeepTheirIdsAndLaterIdsFollowTheOldFile) {
    auto store = openStore();
    const std::array carried{OutboxRow{7, "t/record", "r7", 1, false},
                             OutboxRow{9, "t/alarm", "a9", 1, true}};
    ASSERT_TRUE(store->carryOutbox(carried, 12).ok());
    std::int64_t id = 0;
    ASSERT_TRUE(store->addToOutbox({0, "t/record", "r13", 1, false}, id).ok());
    EXPECT_EQ(id, 13);
    EXPECT_EQ(store->lastOutboxId(), 13);
    const auto rows = store->outboxAfter(0, 10);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 3u);
    EXPECT_EQ((*rows)[0], carried[0]);
    EXPECT_EQ((*rows)[1], carried[1]);
    ASSERT_TRUE(store->removeFromOutbox(std::array<std::int64_t, 1>{13}).ok());
    EXPECT_EQ(store->lastOutboxId(), 13); // a delivered id is never given again
}

} // namespace
} // namespace korvane
