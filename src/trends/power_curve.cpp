#include "power_curve.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace korvane {

double clampBinWidth(double width) {
    if (!std::isfinite(width))
        return kDefaultBinWidth;
    return std::clamp(width, kMinBinWidth, kMaxBinWidth);
}

std::vector<CurveBin> binPowerCurve(std::span<const WindPowerPoint> points, double width) {
    const double w = clampBinWidth(width);
    // Integer thousandths make bin edges exact: 2.999 / 1 and 3.0 / 0.25
    // would otherwise depend on how the double happened to round.
    const double scaledWidth = std::round(w * 1000);
    struct Sum {
        std::int64_t n = 0;
        double watts = 0;
    };
    const auto binOf = [&](double wind) {
        return static_cast<std::int64_t>(std::floor(std::round(wind * 1000) / scaledWidth));
    };
    std::int64_t low = 0, high = -1;
    for (const WindPowerPoint& p : points) {
        if (!std::isfinite(p.wind) || !std::isfinite(p.watts))
            continue;
        const std::int64_t bin = binOf(p.wind);
        if (high < low) {
            low = high = bin;
        } else {
            low = std::min(low, bin);
            high = std::max(high, bin);
        }
    }
    if (high < low)
        return {};
    // A wild mean wind (a calibration gone wrong) must not cost a vector
    // of millions of empty bins: then a map holds only the bins in use.
    constexpr std::int64_t kMaxDenseBins = 100000;
    std::vector<Sum> dense;
    std::map<std::int64_t, Sum> sparse;
    const bool useDense = high - low < kMaxDenseBins;
    if (useDense)
        dense.resize(static_cast<std::size_t>(high - low + 1));
    for (const WindPowerPoint& p : points) {
        if (!std::isfinite(p.wind) || !std::isfinite(p.watts))
            continue;
        const std::int64_t bin = binOf(p.wind);
        Sum& sum = useDense ? dense[static_cast<std::size_t>(bin - low)] : sparse[bin];
        ++sum.n;
        sum.watts += p.watts;
    }
    if (useDense)
        for (std::size_t i = 0; i < dense.size(); ++i)
            if (dense[i].n > 0)
                sparse[low + static_cast<std::int64_t>(i)] = dense[i];
    std::vector<CurveBin> out;
    out.reserve(sparse.size());
    for (const auto& [bin, sum] : sparse) {
        const double from = static_cast<double>(bin) * scaledWidth / 1000;
        const double to = static_cast<double>(bin + 1) * scaledWidth / 1000;
        out.push_back(
            {from, to, sum.n, sum.watts / static_cast<double>(sum.n), sum.n >= kReliableBin});
    }
    return out;
}

std::vector<WindPowerPoint> thinScatter(std::span<const WindPowerPoint> points, int columns,
                                        int rows) {
    std::vector<WindPowerPoint> out;
    if (points.empty() || columns < 1 || rows < 1)
        return out;
    double x0 = points[0].wind, x1 = x0, y0 = points[0].watts, y1 = y0;
    for (const auto& p : points) {
        x0 = std::min(x0, p.wind);
        x1 = std::max(x1, p.wind);
        y0 = std::min(y0, p.watts);
        y1 = std::max(y1, p.watts);
    }
    const double cw = x1 > x0 ? (x1 - x0) / columns : 1;
    const double ch = y1 > y0 ? (y1 - y0) / rows : 1;
    std::vector<bool> taken(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows));
    for (const auto& p : points) {
        if (!std::isfinite(p.wind) || !std::isfinite(p.watts))
            continue;
        const int c = std::min(columns - 1, static_cast<int>((p.wind - x0) / cw));
        const int r = std::min(rows - 1, static_cast<int>((p.watts - y0) / ch));
        const auto at = static_cast<std::size_t>(r) * static_cast<std::size_t>(columns) +
                        static_cast<std::size_t>(c);
        if (!taken[at]) {
            taken[at] = true;
            out.push_back(p);
        }
    }
    return out;
}

} // namespace korvane
