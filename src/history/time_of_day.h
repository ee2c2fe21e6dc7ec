#pragma once
// The time and date tests of the history query.  They accept what a user
// types and what a log record carries, and nothing looser:
//
//  time:  hour ":" minute, each of one or two digits, hour 0..23 and minute
//         0..59; blanks around either number are allowed ("9:05", " 9 : 5 ",
//         "14:05").  No seconds, no AM/PM, no signs.
//  date:  day "/" month "/" year, day-first, digits only, no blanks: day and
//         month of one or two digits ("7", "07"), year of one to four digits
//         with a value of 100 to 9999; the day must exist in that month of
//         the Gregorian calendar (29/2 only in leap years).
//
// A date with blanks or a two-digit year is refused rather than guessed at:
// the log file name is built from the fields as typed, so a guess would
// silently name a file that does not exist.

#include <optional>
#include <string_view>

namespace korvane {

struct TimeOfDay {
    int hour = 0;   // 0..23
    int minute = 0; // 0..59

    int minutesSinceMidnight() const { return hour * 60 + minute; }
    // 0.5 for noon.
    double dayFraction() const { return minutesSinceMidnight() / 1440.0; }
    bool operator==(const TimeOfDay&) const = default;
};

std::optional<TimeOfDay> parseTimeOfDay(std::string_view text);

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const CalendarDate&) const = default;
};

// "7/1/2006" -> 7 January 2006.
std::optional<CalendarDate> parseDayFirstDate(std::string_view text);

} // namespace korvane
