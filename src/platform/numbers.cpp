#include "numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace korvane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Checks the shape digits[sep digits][e[sign]digits] with at least one
// mantissa digit.  from_chars alone would also take "inf", "nan" and hex.
bool hasNumberShape(std::string_view s, char decimal) {
    std::size_t i = 0;
    std::size_t mantissaDigits = 0;
    while (i < s.size() && isDigit(s[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < s.size() && s[i] == decimal) {
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    return i == s.size();
}

// Rough decimal order of magnitude of a text of number shape: positive for
// numbers of 1 and above.  Only needed to tell overflow from underflow.
long decimalMagnitude(std::string_view s, char decimal) {
    long exponent = 0;
    const auto e = s.find_first_of("eE");
    if (e != std::string_view::npos) {
        std::string_view digits = s.substr(e + 1);
        const bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
            digits.remove_prefix(1);
        for (char c : digits)
            exponent = std::min(exponent * 10 + (c - '0'), 1'000'000'000L);
        if (negative)
            exponent = -exponent;
        s = s.substr(0, e);
    }
    const auto point = s.find(decimal);
    std::string_view whole = s.substr(0, point);
    while (!whole.empty() && whole.front() == '0')
        whole.remove_prefix(1);
    if (!whole.empty())
        return static_cast<long>(whole.size()) + exponent;
    std::string_view fraction = point == std::string_view::npos ? "" : s.substr(point + 1);
    const auto firstNonZero = fraction.find_first_not_of('0');
    return exponent - static_cast<long>(firstNonZero == std::string_view::npos ? fraction.size()
                                                                               : firstNonZero);
}

} // namespace

std::optional<double> parseNumber(std::string_view text, const NumberFormat& fmt) {
    std::string_view s = trimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // Board fields are plain whole numbers: read those directly, exactly
    // (15 digits stay far below 2^53), without the general conversion.
    if (!s.empty() && s.size() <= 15) {
        double whole = 0;
        std::size_t i = 0;
        while (i < s.size() && isDigit(s[i]))
            whole = whole * 10 + (s[i++] - '0');
        if (i == s.size())
            return negative ? -whole : whole;
    }
    if (!hasNumberShape(s, fmt.decimal))
        return std::nullopt;

    double value = 0;
    std::from_chars_result res{};
    if (fmt.decimal == '.') {
        res = std::from_chars(s.data(), s.data() + s.size(), value);
    } else {
        std::string copy(s);
        for (char& c : copy)
            if (c == fmt.decimal)
                c = '.';
        res = std::from_chars(copy.data(), copy.data() + copy.size(), value);
        if (res.ec == std::errc() && res.ptr != copy.data() + copy.size())
            return std::nullopt;
        if (res.ec == std::errc())
            res.ptr = s.data() + s.size();
    }
    // out_of_range covers both overflow and underflow; an underflow such as
    // 1e-400 is a perfectly good zero, an overflow is not a number here.
    if (res.ec == std::errc::result_out_of_range) {
        if (decimalMagnitude(s, fmt.decimal) > 0)
            return std::nullopt;
        value = 0;
    } else if (res.ec != std::errc() || res.ptr != s.data() + s.size()) {
        return std::nullopt;
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<int> parsePortNumber(std::string_view text, const NumberFormat& fmt) {
    const auto port = parseNumber(text, fmt);
    if (!port || *port < 1 || *port > 65535 || std::floor(*port) != *port)
        return std::nullopt;
    return static_cast<int>(*port);
}

bool isSwitchOn(std::string_view text, const NumberFormat& fmt) {
    auto v = parseNumber(text, fmt);
    return v && *v == 1.0;
}

std::string formatGeneral(double value, const NumberFormat& fmt) {
    if (!std::isfinite(value) || value == 0)
        return "0";
    std::array<char, 64> buf{};
    auto res =
        std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::general, 15);
    std::string out(buf.data(), res.ptr);
    if (fmt.decimal != '.')
        for (char& c : out)
            if (c == '.')
                c = fmt.decimal;
    return out;
}

namespace {

// Exact decimal rounding through the shortest round-trip text.  Only used
// near ties, where the binary value alone cannot decide.
double roundThroughDecimalText(double value, int decimals) {
    std::array<char, 64> buf{};
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), std::abs(value),
                             std::chars_format::scientific);
    std::string_view sci(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
    const auto ePos = sci.find('e');
    std::string digits; // d1 d2 d3 ... with |value| = d1.d2d3... x 10^exponent
    for (char c : sci.substr(0, ePos))
        if (isDigit(c))
            digits += c;
    const int exponent = std::atoi(std::string(sci.substr(ePos + 1)).c_str());
    // Number of leading digits that stand at or above 10^-decimals.
    const int keep = exponent + 1 + decimals;
    if (keep >= static_cast<int>(digits.size()))
        return value;
    if (keep < 0)
        return 0.0;
    const auto k = static_cast<std::size_t>(keep);
    const char next = digits[k];
    const bool beyond = digits.find_first_not_of('0', k + 1) != std::string::npos;
    std::string kept = keep > 0 ? digits.substr(0, k) : std::string("0");
    bool roundUp = next > '5' || (next == '5' && beyond);
    if (next == '5' && !beyond)
        roundUp = ((kept.back() - '0') % 2) != 0;
    if (roundUp) {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9')
            kept[--i] = '0';
        if (i == 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[i - 1];
    }
    // kept is now the integer |value| x 10^decimals, rounded.
    const std::string text = kept + "e" + std::to_string(-decimals);
    double out = 0;
    std::from_chars(text.data(), text.data() + text.size(), out);
    return value < 0 ? -out : out;
}

} // namespace

double roundHalfEven(double value, int decimals) {
    if (!std::isfinite(value) || value == 0)
        return value;
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double scale =
        decimals >= 0 && decimals <= 15 ? kPowers[decimals] : std::pow(10.0, decimals);
    const double scaled = value * scale;
    if (!std::isfinite(scaled) || std::abs(scaled) >= 1e15)
        return value; // no digits left to round at this magnitude
    const double frac = std::abs(scaled - std::trunc(scaled));
    if (std::abs(frac - 0.5) > 1e-6)
        return std::round(scaled) / scale;
    return roundThroughDecimalText(value, decimals);
}

std::int16_t toInt16(double value) {
    if (std::isnan(value))
        return 0;
    double r = std::nearbyint(value); // default rounding mode: halves to even
    if (r > 32767)
        return 32767;
    if (r < -32768)
        return -32768;
    return static_cast<std::int16_t>(r);
}

} // namespace korvane
