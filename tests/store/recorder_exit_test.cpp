// The recorder on a disk that is full: minutes held in memory at the exit
// reach the store at the next start, each once, and a retry never reads the
// whole file again.  The full disk is a file size limit in a child process:
// writes that would grow a file fail, a small new file still fits.

#include "store/minute_recorder.h"
#include "store_test_util.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::queryOne;

constexpr std::int64_t kT0 = 1796740200000; // 2026-12-08 14:30:00 UTC
constexpr std::int64_t kMin = 60000;
const std::string kDay = "2026_12_8";
const Reading kReading{12.5, 2.0, 25.0, 300, 6.5, 1};

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> namesWith(const std::string& folder, const std::string& part) {
    std::vector<std::string> out;
    for (const std::string& n : namesIn(folder))
        if (n.find(part) != std::string::npos)
            out.push_back(n);
    return out;
}

class RecorderExitTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The store exists and every byte of it is on the disk before the
        // disk fills up.
        MinuteRecorder created(path, kT0, kDay);
    }
    test::TempDir dir;
    std::string path = dir.file("korvane.db");
};

TEST_F(RecorderExitTest, WhatWaitsAtTheExitOfAFullDiskIsStoredOnceAtTheNextStart) {
    const int child = test::runInChild([&] {
        MinuteRecorder r(path, kT0, kDay);
        test::limitFileSize(4096);
        for (int k = 0; k < 3; ++k)
            r.packet(kReading, kT0 + k * kMin + 1000, kDay);
        r.alarmEvent({1796740330, "Battery low", "raised", 11.4}, kT0 + 2 * kMin + 10000);
        if (r.heldMinutes() != 2)
            return 10;
        r.close(kT0 + 2 * kMin + 30000);
        if (r.heldMinutes() != 0 || r.notice().find("3 minutes and 1 alarm event kept in "
                                                    "korvane-pending-") == std::string::npos)
            return 11;
        return 0;
    });
    ASSERT_EQ(child, 0);
    ASSERT_EQ(queryOne(path, "SELECT count(*) FROM minutes"), "0");
    const auto pending = namesWith(dir.path(), "-pending-");
    ASSERT_EQ(pending.size(), 1u);

    // Room made, and the next start (twice: once as if it had been cut off
    // before the rename).
    for (int start = 0; start < 2; ++start) {
        MinuteRecorder next(path, kT0 + 10 * kMin, kDay);
        EXPECT_EQ(queryOne(path, "SELECT group_concat(((ts - 1796740200) / 60) || ':' || packets, "
                                 "' ') FROM (SELECT * FROM minutes ORDER BY ts)"),
                  "0:1 1:1 2:1");
        EXPECT_EQ(queryOne(path, "SELECT minutes || ' ' || packets FROM days"), "3 3");
        EXPECT_EQ(queryOne(path, "SELECT group_concat(name || ' ' || value) FROM alarms"),
                  "Battery low 11.4");
        EXPECT_EQ(namesWith(dir.path(), "-pending-"),
                  std::vector<std::string>{pending[0] + ".imported"});
        if (start == 0) {
            EXPECT_EQ(next.notice(), "History store " + path +
                                         " took in what an earlier exit kept in " + pending[0] +
                                         ": 3 minutes and 1 alarm event");
            std::filesystem::copy_file(dir.file(pending[0] + ".imported"), dir.file(pending[0]));
            std::filesystem::remove(dir.file(pending[0] + ".imported"));
        }
    }
}

TEST_F(RecorderExitTest, ARetryAfterAFailedWriteDoesNotReadTheWholeFileAgain) {
    const int child = test::runInChild([&] {
        MinuteRecorder r(path, kT0, kDay); // the one full check of the run
        // Damage only a full read finds: no minute ever touches it.
        if (!test::damageTable(path, "record"))
            return 10;
        for (int k = 0; k < 4; ++k)
            r.packet(kReading, kT0 + k * kMin + 1000, kDay);
        // From here the WAL, past 32 KiB, cannot grow; the 32 KiB index a
        // reopen rebuilds still fits.
        test::limitFileSize(32768);
        r.packet(kReading, kT0 + 4 * kMin + 1000, kDay); // minute 3 fails to commit
        if (r.heldMinutes() != 1)
            return 11;
        r.poll(kT0 + 4 * kMin + 7000); // the retry reopens the store
        r.poll(kT0 + 4 * kMin + 40000);
        if (!r.store())
            return 12;
        return r.notice().empty() ? 0 : 13;
    });
    EXPECT_EQ(child, 0);
    EXPECT_TRUE(namesWith(dir.path(), "-corrupt-").empty());
}

} // namespace
} // namespace korvane
