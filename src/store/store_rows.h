#pragma once
// Scaled integers of the stored columns, shared by the writer and the readers.

#include "minute_aggregator.h"
#include "sqlite_handle.h"

#include <cmath>
#include <cstdint>

namespace korvane::rows {

inline constexpr double kExtreme = 100; // V, A, W minima and maxima: 0.01
inline constexpr double kTenths = 10;   // rpm and wind maxima: 0.1
inline constexpr double kMean = 1000;   // every mean: 0.001

// Rounds value x scale to the nearest integer.  Values beyond what a double
// counts exactly are held at that limit, so a wild log number cannot
// overflow the conversion.
inline std::int64_t scaled(double value, double scale) {
    constexpr double kLimit = 9007199254740992.0; // 2^53
    const double x = value * scale;
    if (!std::isfinite(x))
        return x > 0   ? static_cast<std::int64_t>(kLimit)
               : x < 0 ? -static_cast<std::int64_t>(kLimit)
                       : 0;
    return std::llround(x < -kLimit ? -kLimit : x > kLimit ? kLimit : x);
}

inline double unscaled(std::int64_t value, double scale) {
    return static_cast<double>(value) / scale;
}

// A minute from the 17 columns date, packets, v_min .. wind_max, load_ms, wh
// of `s`, starting at column `first`.
MinuteSummary minuteFromRow(const Statement& s, int first, std::int64_t ts);

} // namespace korvane::rows
