#include "trends/date_range.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(DateRange, AddDaysCrossesMonthsYearsAndLeapDays) {
    const struct {
        int date, days, expected;
    } rows[] = {
        {20261208, 0, 20261208},   {20261231, 1, 20270101},   {20270101, -1, 20261231},
        {20240228, 1, 20240229},   {20230228, 1, 20230301},   {20240301, -1, 20240229},
        {20261208, -29, 20261109}, {20260101, 364, 20261231},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(addDays(r.date, r.days), r.expected) << r.date << " + " << r.days;
        EXPECT_EQ(daysBetween(r.date, r.expected), r.days) << r.date;
    }
}

TEST(DateRange, PresetsEndTodayAndAllFollowsTheStore) {
    const int today = 20260305;
    EXPECT_EQ(presetRange(RangePreset::Last7Days, today, {}), (DateRange{20260227, 20260305}));
    EXPECT_EQ(presetRange(RangePreset::Last30Days, today, {}), (DateRange{20260204, 20260305}));
    EXPECT_EQ(presetRange(RangePreset::ThisYear, today, {}), (DateRange{20260101, 20260305}));
    EXPECT_EQ(presetRange(RangePreset::All, today, DateRange{20240610, 20251231}),
              (DateRange{20240610, 20251231}));
    EXPECT_EQ(presetRange(RangePreset::All, today, std::nullopt), (DateRange{today, today}));
}

TEST(DateRange, DatesOfListsEveryDateOnce) {
    const std::vector<int> dates = datesOf({20240227, 20240302});
    EXPECT_EQ(dates, (std::vector<int>{20240227, 20240228, 20240229, 20240301, 20240302}));
    EXPECT_EQ(datesOf({20260101, 20261231}).size(), 365u);
    EXPECT_TRUE(datesOf({20260102, 20260101}).empty());
    EXPECT_EQ(orderedRange(20260301, 20260101), (DateRange{20260101, 20260301}));
}

TEST(DateRange, DaySerialSecondsCountsWholeDaysFrom1970) {
    EXPECT_EQ(daySerialSeconds(19700101), 0);
    EXPECT_EQ(daySerialSeconds(20260101), 1767225600);
}

} // namespace
} // namespace korvane
