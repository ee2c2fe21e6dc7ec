// Alarm events in the store: the `alarms` view as a user reads it, and
// events kept in memory while the store is out of reach.

#include "store/alarm_events.h"
#include "store/minute_recorder.h"
#include "store_test_util.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::queryRows;
using test::Rows;

constexpr std::int64_t kT0 = 1796740200000; // 2026-12-08 14:30:00 UTC
const std::string kDay = "2026_12_8";

TEST(AlarmEvents, TheAlarmsViewListsEventsInTheOrderTheyCame) {
    test::TempDir dir;
    const std::string path = dir.file("korvane.db");
    MinuteRecorder r(path, kT0, kDay);
    r.alarmEvent({1796740260, "Battery low", "raised", 11.42}, kT0 + 60000);
    r.alarmEvent({1796740200, "Wind high", "raised", 26}, kT0 + 61000); // clock set back
    r.alarmEvent({1796740320, "Battery low", "cleared", 12.05}, kT0 + 120000);
    EXPECT_EQ(queryRows(path, "SELECT ts, name, state, value FROM alarms"),
              (Rows{{"1796740260", "Battery low", "raised", "11.42"},
                    {"1796740200", "Wind high", "raised", "26.0"},
                    {"1796740320", "Battery low", "cleared", "12.05"}}));
    ASSERT_TRUE(r.store());
    const auto range = r.store()->alarmEvents(1796740250, 1796740300);
    ASSERT_TRUE(range);
    EXPECT_EQ(*range, (std::vector<AlarmEventRow>{{1796740260, "Battery low", "raised", 11.42}}));
}

TEST(AlarmEvents, EventsWaitWithTheMinutesUntilTheStoreCanBeWritten) {
    test::TempDir dir;
    const std::string path = dir.file("korvane.db");
    dir.mkdir("korvane.db"); // a folder where the file should be
    MinuteRecorder r(path, kT0, kDay);
    r.alarmEvent({1796740260, "No data", "raised", 5}, kT0 + 60000);
    std::filesystem::remove(path);
    r.poll(kT0 + 70000);
    EXPECT_EQ(queryRows(path, "SELECT name, state, value FROM alarms"),
              (Rows{{"No data", "raised", "5.0"}}));
}

TEST(AlarmEvents, TheLatestEventOfEachAlarmIsByOrderOfRecording) {
    test::TempDir dir;
    auto opened = HistoryStore::open(dir.file("korvane.db"), 20261208);
    ASSERT_TRUE(opened.store);
    HistoryStore& store = *opened.store;
    EXPECT_EQ(latestAlarmEvents(&store), std::vector<AlarmEventRow>{});
    const AlarmEventRow events[] = {
        {1796740260, "Battery low", "raised", 11.42},
        {1796740300, "Wind high", "raised", 26},
        {1796740320, "Battery low", "cleared", 12.05},
        {1796740200, "Battery low", "raised", 11.3}, // after the clock was set back
        {1796740400, "No data", "raised", 5},
        {1796740460, "No data", "cleared", 6},
    };
    ASSERT_TRUE(store.recordAlarmEvents(events).ok());
    EXPECT_EQ(latestAlarmEvents(&store),
              (std::vector<AlarmEventRow>{{1796740300, "Wind high", "raised", 26},
                                          {1796740200, "Battery low", "raised", 11.3},
                                          {1796740460, "No data", "cleared", 6}}));
    EXPECT_EQ(latestAlarmEvents(nullptr), std::vector<AlarmEventRow>{});
}

} // namespace
} // namespace korvane
