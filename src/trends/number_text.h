#pragma once
// Numbers written for reading down a column or in a sentence: a fixed
// number of decimals, and the locale's separators between digit groups.

#include "platform/numbers.h"

#include <string>
#include <string_view>

namespace korvane {

// The value rounded to `decimals` places (ties to even) and written with
// exactly that many: "1234.50" for (1234.5, 2), "-0.10"; "0.00" for a value
// that is not finite.
std::string fixedText(double value, int decimals, const NumberFormat& fmt);

// `group` between each three digits of the whole part of a number text
// written with `fmt`'s separator: "12,345.67", "1 234" with a blank.  Texts
// with an exponent are left alone.
std::string withDigitGroups(std::string_view number, const NumberFormat& fmt,
                            std::string_view group);

} // namespace korvane
