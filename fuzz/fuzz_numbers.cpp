// The number rules: a parsed number is finite, and the general number form
// reads back to the same value (to its 15 digits).

#include "platform/numbers.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const NumberFormat fmt : {NumberFormat{'.'}, NumberFormat{','}}) {
        const auto v = parseNumber(text, fmt);
        if (!v)
            continue;
        if (!std::isfinite(*v))
            std::abort();
        const auto back = parseNumber(formatGeneral(*v, fmt), fmt);
        if (!back || std::abs(*back - *v) > std::abs(*v) * 1e-14)
            std::abort();
        for (int decimals : {0, 1, 2}) {
            const double r = roundHalfEven(*v, decimals);
            if (!std::isfinite(r) ||
                std::abs(r - *v) > 0.5 * std::pow(10.0, -decimals) + std::abs(*v) * 1e-15)
                std::abort();
        }
        (void)toInt16(*v);
    }
    return 0;
}
