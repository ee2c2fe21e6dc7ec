#include "number_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace korvane {

std::string fixedText(double value, int decimals, const NumberFormat& fmt) {
    double v = std::isfinite(value) ? roundHalfEven(value, decimals) : 0.0;
    if (v == 0)
        v = 0; // no "-0.00"
    std::array<char, 400> buf{};
    const auto r =
        std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, decimals);
    std::string out(buf.data(), r.ptr);
    if (fmt.decimal != '.')
        for (char& c : out)
            if (c == '.')
                c = fmt.decimal;
    return out;
}

std::string withDigitGroups(std::string_view number, const NumberFormat& fmt,
                            std::string_view group) {
    if (group.empty() || number.find_first_of("eE") != std::string_view::npos)
        return std::string(number);
    const std::size_t sign = !number.empty() && number[0] == '-' ? 1 : 0;
    std::size_t end = number.find(fmt.decimal);
    if (end == std::string_view::npos)
        end = number.size();
    std::string out(number.substr(0, sign));
    const std::size_t digits = end - sign;
    for (std::size_t i = 0; i < digits; ++i) {
        if (i > 0 && (digits - i) % 3 == 0)
            out += group;
        out += number[sign + i];
    }
    out += number.substr(end);
    return out;
}

} // namespace korvane
