#pragma once
// The date range the Trends window shows: local dates yyyymmdd (as the
// store keeps them), both ends included.

#include "store/day_date.h" // addDays

#include <optional>
#include <vector>

namespace korvane {

struct DateRange {
    int from = 0; // yyyymmdd
    int to = 0;   // yyyymmdd, >= from
    bool operator==(const DateRange&) const = default;
};

enum class RangePreset { Last7Days, Last30Days, ThisYear, All };

// 20261208 for (2026, 12, 8).
constexpr int dateNumber(int year, int month, int day) {
    return year * 10000 + month * 100 + day;
}

// Days from `from` to `to`: 0 for the same date, negative when `to` is earlier.
int daysBetween(int from, int to);
// Local midnight of the date as seconds since 1970-01-01 counted in whole
// days (no time zone): the x of a date on a chart's date axis.
long long daySerialSeconds(int date);

// The two dates in order.
DateRange orderedRange(int a, int b);

// The preset's range on `today`: the last 7 or 30 dates ending today, 1
// January to today, or for All the stored dates (`stored`, first to last);
// All with nothing stored is today alone.
DateRange presetRange(RangePreset preset, int today, std::optional<DateRange> stored);

// Every date of the range, oldest first.
std::vector<int> datesOf(DateRange range);

} // namespace korvane
