#include "date_range.h"

#include <algorithm>
#include <chrono>

namespace korvane {

namespace {

std::chrono::sys_days daysOf(int date) {
    using namespace std::chrono;
    return sys_days(year_month_day(year(date / 10000),
                                   month(static_cast<unsigned>(date / 100 % 100)),
                                   day(static_cast<unsigned>(date % 100))));
}

int dateOf(std::chrono::sys_days d) {
    const std::chrono::year_month_day ymd(d);
    return dateNumber(static_cast<int>(ymd.year()),
                      static_cast<int>(static_cast<unsigned>(ymd.month())),
                      static_cast<int>(static_cast<unsigned>(ymd.day())));
}

} // namespace

int daysBetween(int from, int to) {
    return static_cast<int>((daysOf(to) - daysOf(from)).count());
}

long long daySerialSeconds(int date) {
    return static_cast<long long>(daysOf(date).time_since_epoch().count()) * 86400;
}

DateRange orderedRange(int a, int b) {
    return {std::min(a, b), std::max(a, b)};
}

DateRange presetRange(RangePreset preset, int today, std::optional<DateRange> stored) {
    switch (preset) {
    case RangePreset::Last7Days:
        return {addDays(today, -6), today};
    case RangePreset::Last30Days:
        return {addDays(today, -29), today};
    case RangePreset::ThisYear:
        return {today / 10000 * 10000 + 101, today};
    case RangePreset::All:
        break;
    }
    return stored ? *stored : DateRange{today, today};
}

std::vector<int> datesOf(DateRange range) {
    std::vector<int> out;
    const int n = daysBetween(range.from, range.to);
    if (n < 0)
        return out;
    out.reserve(static_cast<std::size_t>(n) + 1);
    auto d = daysOf(range.from);
    for (int k = 0; k <= n; ++k, d += std::chrono::days(1))
        out.push_back(dateOf(d));
    return out;
}

} // namespace korvane
