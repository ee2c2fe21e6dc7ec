#pragma once
// The power curve: minutes binned by mean wind speed with the mean of their
// mean watts, and a thinned scatter of the minutes themselves.

#include "store/history_store.h"

#include <cstdint>
#include <span>
#include <vector>

namespace korvane {

inline constexpr double kMinBinWidth = 0.25;    // wind units
inline constexpr double kMaxBinWidth = 5;       // wind units
inline constexpr double kDefaultBinWidth = 1;   // wind units
inline constexpr std::int64_t kReliableBin = 3; // fewer minutes than this: unreliable

struct CurveBin {
    double windFrom = 0; // bin [windFrom, windTo), wind units
    double windTo = 0;
    std::int64_t minutes = 0;
    double meanWatts = 0;
    bool reliable = false; // minutes >= kReliableBin
    double windMid() const { return (windFrom + windTo) / 2; }
};

// The width limited to kMinBinWidth..kMaxBinWidth; not a number gives the default.
double clampBinWidth(double width);

// Bin k holds winds in [k w, (k+1) w), w the clamped width.  Winds are
// judged at the store's resolution (thousandths), so a wind of exactly 3 is
// in bin [3, 4) whatever the width's binary rounding.  Empty bins are left
// out; bins come in ascending wind.
std::vector<CurveBin> binPowerCurve(std::span<const WindPowerPoint> points, double width);

// At most columns x rows points standing for `points`: the bounding box is
// cut into that grid and each occupied cell keeps its first point, so a
// year of minutes draws as fast as a week and looks the same at that size.
std::vector<WindPowerPoint> thinScatter(std::span<const WindPowerPoint> points, int columns,
                                        int rows);

} // namespace korvane
