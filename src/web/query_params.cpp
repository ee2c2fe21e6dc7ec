#include "query_params.h"

#include "platform/numbers.h"
#include "trends/days_table.h"
#include "trends/power_curve.h"

#include <cmath>
#include <cstdio>

namespace korvane {

namespace {

int digits(std::string_view s) {
    int n = 0;
    for (const char c : s) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

std::string shown(std::string_view value) {
    // Echoing a hostile value whole would make the error as long as the URL.
    constexpr std::size_t kMax = 40;
    std::string out;
    for (const char c : value.substr(0, kMax))
        out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    if (value.size() > kMax)
        out += "...";
    return out;
}

} // namespace

std::optional<int> parseQueryDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const int y = digits(text.substr(0, 4));
    const int m = digits(text.substr(5, 2));
    const int d = digits(text.substr(8, 2));
    if (y < 1970 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m))
        return std::nullopt;
    return dateNumber(y, m, d);
}

std::variant<std::optional<std::string>, ParamError> argument(const QueryArgs& args,
                                                              std::string_view name) {
    std::optional<std::string> found;
    for (const auto& [key, value] : args) {
        if (key != name)
            continue;
        if (found)
            return ParamError{std::string(name), std::string(name) + " is given more than once"};
        found = value;
    }
    return found;
}

std::variant<DateRange, ParamError> readDateRange(const QueryArgs& args, DateRange defaults) {
    int ends[2] = {defaults.from, defaults.to};
    const char* names[2] = {"from", "to"};
    for (int i = 0; i < 2; ++i) {
        auto value = argument(args, names[i]);
        if (auto* e = std::get_if<ParamError>(&value))
            return *e;
        const auto& text = std::get<std::optional<std::string>>(value);
        if (!text)
            continue;
        const auto date = parseQueryDate(*text);
        if (!date)
            return ParamError{names[i], std::string(names[i]) +
                                            " must be a date written as YYYY-MM-DD, such as "
                                            "2026-12-08, not \"" +
                                            shown(*text) + "\""};
        ends[i] = *date;
    }
    if (ends[0] > ends[1])
        return ParamError{"from",
                          "from (" + isoDate(ends[0]) + ") is after to (" + isoDate(ends[1]) + ")"};
    if (daysBetween(ends[0], ends[1]) + 1 > kMaxApiRangeDays)
        return ParamError{"to", "the range from " + isoDate(ends[0]) + " to " + isoDate(ends[1]) +
                                    " is longer than 10 years"};
    return DateRange{ends[0], ends[1]};
}

std::variant<double, ParamError> readBinWidth(const QueryArgs& args) {
    auto value = argument(args, "bin");
    if (auto* e = std::get_if<ParamError>(&value))
        return *e;
    const auto& text = std::get<std::optional<std::string>>(value);
    if (!text)
        return kDefaultBinWidth;
    const auto width = parseNumber(*text, NumberFormat{'.'});
    if (!width || *width < kMinBinWidth || *width > kMaxBinWidth)
        return ParamError{"bin", "bin must be a wind-speed width from 0.25 to 5, not \"" +
                                     shown(*text) + "\""};
    return *width;
}

} // namespace korvane
