#pragma once
// Scaled integers of the stored columns, shared by the writer and the readers.

#include "minute_aggregator.h"
#include "sqlite_handle.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

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

// day_wind.pairs: per minute with packets, its mean wind and mean watts in
// thousandths, each a little-endian 32-bit integer (held at its limits).
inline constexpr std::size_t kPairBytes = 8;

inline void appendInt32(std::string& blob, std::int64_t value) {
    const auto v =
        static_cast<std::uint32_t>(static_cast<std::int32_t>(value < INT32_MIN   ? INT32_MIN
                                                             : value > INT32_MAX ? INT32_MAX
                                                                                 : value));
    for (int shift = 0; shift < 32; shift += 8)
        blob.push_back(static_cast<char>((v >> shift) & 0xff));
}

inline std::int32_t int32At(const unsigned char* p) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
        static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

// A minute from the 17 columns date, packets, v_min .. wind_max, load_ms, wh
// of `s`, starting at column `first`.
MinuteSummary minuteFromRow(const Statement& s, int first, std::int64_t ts);

} // namespace korvane::rows
