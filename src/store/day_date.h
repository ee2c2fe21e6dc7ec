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

// The date `count` days after `date` (negative: before), across months and years.
int addDays(int date, int count);

// "2026-12-08-143000" for a time in UTC ms, in local time as the user reads
// the clock: the stamp in the names of files set aside or kept.
std::string localFileStamp(std::int64_t utcMs);

} // namespace korvane
