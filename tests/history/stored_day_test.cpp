#include "history/stored_day.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(StoredDay, MinutesStrictlyInsideTheRangeFillSlotsFromOne) {
    const std::vector<StoredMinute> minutes{
        {600, 13.1, 4.5, 59, 300, 12.5, 1}, // 10:00: the range's start, left out
        {601, 13.2, 4.6, 60.7, 310, 13, 1},
        {602, 12.9, -0.4, -5.2, 0, 2.5, 0},
        {720, 14, 9, 126, 500, 20, 0}}; // 12:00: the finish, left out
    HistoryBuffer buffer;
    buffer.Volts[3] = 99; // beyond the new count: kept
    const LoadResult r = loadStoredMinutes(minutes, {{10, 0}, {12, 0}}, buffer);
    EXPECT_EQ(r.outcome, QueryOutcome::Loaded);
    ASSERT_EQ(r.recordCount, 2);
    EXPECT_DOUBLE_EQ(buffer.Time[1], 601 / 1440.0);
    EXPECT_DOUBLE_EQ(buffer.Volts[1], 13.2);
    EXPECT_DOUBLE_EQ(buffer.Amps[2], -0.4);
    EXPECT_DOUBLE_EQ(buffer.Watts[1], 60.7);
    EXPECT_DOUBLE_EQ(buffer.Rpm[1], 310);
    EXPECT_DOUBLE_EQ(buffer.WindSpeed[2], 2.5);
    EXPECT_EQ(buffer.Mode[1], 1);
    EXPECT_EQ(buffer.Mode[2], 0);
    EXPECT_EQ(buffer.Volts[3], 99);
    EXPECT_EQ(loadStoredMinutes(minutes, {{13, 0}, {14, 0}}, buffer).outcome, QueryOutcome::NoData);
}

TEST(StoredDay, OnlyALineWithAValidTimeMakesALogHoldRecords) {
    const struct {
        const char* text;
        bool holds;
    } rows[] = {{"", false},
                {"\r\n\r\n", false}, // what a query of a missing day leaves behind
                {"<V>13</V><T>25:00</T>\r\n", false},
                {"<V>13</V><T>14:05", false},
                {"\r\n<V>13</V><M>1</M><T>14:05</T>\r\n", true}};
    for (const auto& r : rows)
        EXPECT_EQ(logHoldsRecords(r.text), r.holds) << r.text;
}

} // namespace
} // namespace korvane
