#include "time_of_day.h"

namespace korvane {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The value of 1 to maxDigits decimal digits and nothing else.
std::optional<int> digitsValue(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (char c : s) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

} // namespace

std::optional<TimeOfDay> parseTimeOfDay(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto hour = digitsValue(trimBlanks(text.substr(0, colon)), 2);
    const auto minute = digitsValue(trimBlanks(text.substr(colon + 1)), 2);
    if (!hour || !minute || *hour > 23 || *minute > 59)
        return std::nullopt;
    return TimeOfDay{*hour, *minute};
}

std::optional<CalendarDate> parseDayFirstDate(std::string_view text) {
    const auto first = text.find('/');
    if (first == std::string_view::npos)
        return std::nullopt;
    const auto second = text.find('/', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    const auto day = digitsValue(text.substr(0, first), 2);
    const auto month = digitsValue(text.substr(first + 1, second - first - 1), 2);
    // A third "/" leaves a non-digit in the year, which refuses it.
    const auto year = digitsValue(text.substr(second + 1), 4);
    if (!day || !month || !year)
        return std::nullopt;
    if (*year < 100 || *month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month))
        return std::nullopt;
    return CalendarDate{*year, *month, *day};
}

} // namespace korvane
