#pragma once
// Number rules shared by every part of Korvane: the numeric test, conversion,
// the general number form and rounding with decimal ties to even.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

// The user's number conventions.  Only the decimal separator matters: no
// thousands separators are ever accepted or written.
struct NumberFormat {
    char decimal = '.';
};

// The numeric test and conversion in one: optional blanks, an optional sign,
// digits with at most one decimal separator (the locale's, never the other
// one), an optional exponent, optional blanks.  Empty text, infinities, NaN
// and numbers beyond the double range are not numeric.
std::optional<double> parseNumber(std::string_view text, const NumberFormat& fmt);

inline bool isNumeric(std::string_view text, const NumberFormat& fmt) {
    return parseNumber(text, fmt).has_value();
}

// A network port: a whole number from 1 to 65535; nothing for anything else.
std::optional<int> parsePortNumber(std::string_view text, const NumberFormat& fmt);

// A switch text is on when it reads as the number 1 ("1", " 1 ", "1.0").
bool isSwitchOn(std::string_view text, const NumberFormat& fmt);

// General number form: up to 15 significant digits, no trailing zeros, no
// thousands separator, a leading zero before the separator, '-' for
// negatives: 12.8, 420, 0, -5, 0.3 for 0.1 + 0.2.  Magnitudes of 1e15 and
// above or below 1e-5 use an exponent ("1e+20").  Non-finite values never
// reach this function in Korvane; they are written as "0" to keep files sane.
std::string formatGeneral(double value, const NumberFormat& fmt);

// Rounds to `decimals` places, sending decimal ties to the even neighbour.
// A tie is judged on the shortest text that reads back as the same double,
// so 0.125 -> 0.12, 0.375 -> 0.38, 2.25 -> 2.2, 12.125 -> 12.12, and 2.675
// (stored as 2.67499999...) counts as the tie it looks like -> 2.68.
// Non-finite values are returned unchanged.
double roundHalfEven(double value, int decimals);

// 16-bit conversion: rounds halves to even, then clamps to -32768..32767.
// NaN converts to 0.  Clamping was chosen over "not a number" so that a
// device sending an absurd mode number still yields a plain, harmless mode.
std::int16_t toInt16(double value);

} // namespace korvane
