// What the query accepts as a typed time or day-first date.

#include "history/time_of_day.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

struct TimeCase {
    const char* text;
    std::optional<TimeOfDay> expected;
};

TEST(ParseTimeOfDay, AcceptsHourColonMinuteWithinTheDay) {
    const TimeCase cases[] = {
        {"00:00", TimeOfDay{0, 0}},  {"23:59", TimeOfDay{23, 59}},
        {"9:5", TimeOfDay{9, 5}},    {" 9 : 05 ", TimeOfDay{9, 5}},
        {"14:05", TimeOfDay{14, 5}}, {"24:00", std::nullopt},
        {"12:60", std::nullopt},     {"", std::nullopt},
        {":", std::nullopt},         {"12", std::nullopt},
        {"12:", std::nullopt},       {":30", std::nullopt},
        {"-1:30", std::nullopt},     {"+1:30", std::nullopt},
        {"123:00", std::nullopt},    {"12:30:00", std::nullopt},
        {"1 2:30", std::nullopt},    {"12:3a", std::nullopt},
        {"2:05 PM", std::nullopt},   {"\t7:45\t", TimeOfDay{7, 45}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseTimeOfDay(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ParseTimeOfDay, DayFractionPutsNoonAtOneHalf) {
    EXPECT_DOUBLE_EQ((TimeOfDay{12, 0}.dayFraction()), 0.5);
    EXPECT_DOUBLE_EQ((TimeOfDay{14, 5}.dayFraction()), 845.0 / 1440.0);
}

struct DateCase {
    const char* text;
    std::optional<CalendarDate> expected;
};

TEST(ParseDayFirstDate, AcceptsRealCalendarDaysDayFirst) {
    const DateCase cases[] = {
        {"7/1/2006", CalendarDate{2006, 1, 7}},
        {"07/01/2006", CalendarDate{2006, 1, 7}},
        {"31/12/2006", CalendarDate{2006, 12, 31}},
        {"29/2/2024", CalendarDate{2024, 2, 29}},
        {"29/2/2000", CalendarDate{2000, 2, 29}},
        {"29/2/1900", std::nullopt},
        {"29/2/2023", std::nullopt},
        {"31/4/2006", std::nullopt},
        {"0/1/2006", std::nullopt},
        {"1/0/2006", std::nullopt},
        {"1/13/2006", std::nullopt},
        {"12/25/2006", std::nullopt}, // month first is not a date here
        {"1/1/06", std::nullopt},
        {"1/1/99", std::nullopt},
        {"1/1/100", CalendarDate{100, 1, 1}},
        {"1/1/9999", CalendarDate{9999, 1, 1}},
        {"1/1/10000", std::nullopt},
        {" 1/1/2006", std::nullopt},
        {"1/1/2006 ", std::nullopt},
        {"1/1/2006/1", std::nullopt},
        {"1//2006", std::nullopt},
        {"1/1", std::nullopt},
        {"", std::nullopt},
        {"a/1/2006", std::nullopt},
        {"1/1/../x", std::nullopt},
        {"001/1/2006", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseDayFirstDate(c.text), c.expected) << '"' << c.text << '"';
}

} // namespace
} // namespace korvane
