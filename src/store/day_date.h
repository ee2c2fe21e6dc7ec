#pragma once
// Day keys ("2026_12_8", as the daily logs are named) and the date numbers
// the store keeps for them (20261208 = y*10000 + m*100 + d).

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// 20261208 for "2026_12_8"; 0 when the text is not a day key: year 100..9999,
// month and day without leading zeros, a day that exists in that month.
int dateOfDayKey(std::string_view dayKey);

// "2026_12_8" for 20261208.
std::string dayKeyOfDate(int date);

// The UTC date number of a time in UTC seconds.
int utcDateOf(std::int64_t utcSeconds);

} // namespace korvane
