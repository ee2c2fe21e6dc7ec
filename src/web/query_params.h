#pragma once
// The parameters of the JSON API: dates, ranges and the bin width, read
// from the decoded query arguments with a message naming the parameter
// that is wrong.

#include "trends/date_range.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace korvane {

// The decoded query arguments, in the order they came.
using QueryArgs = std::vector<std::pair<std::string, std::string>>;

inline constexpr int kMaxApiRangeDays = 3653; // ten years of dates, both ends counted

// What is wrong with a request's parameters.
struct ParamError {
    std::string parameter; // "from"
    std::string message;   // "from must be a date written as YYYY-MM-DD, such as 2026-12-08"
    bool operator==(const ParamError&) const = default;
};

// 20261208 for "2026-12-08": four-digit year 1970..9999, two-digit month and
// day, a day that exists.  Nothing for anything else.
std::optional<int> parseQueryDate(std::string_view text);

// The value of `name`; nothing when absent.  A name given twice is an error.
std::variant<std::optional<std::string>, ParamError> argument(const QueryArgs& args,
                                                              std::string_view name);

// `from` and `to` as local dates, both included.  A missing end takes its
// default.  Errors: not a date, from after to, longer than kMaxApiRangeDays.
std::variant<DateRange, ParamError> readDateRange(const QueryArgs& args, DateRange defaults);

// `bin`, the power curve's bin width in wind units: a number with a dot
// from 0.25 to 5; 1 when absent.
std::variant<double, ParamError> readBinWidth(const QueryArgs& args);

} // namespace korvane
