#include "plot_pixels.h"

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

// Clamps into [lo, hi]; NaN goes to lo.  Products of single-precision user
// units and pixel scales always fit a double, so this is the only guard the
// coordinates need before a conversion to int.
double within(double v, double lo, double hi) {
    return std::isnan(v) ? lo : std::clamp(v, lo, hi);
}

bool isPositive(float v) {
    return std::isfinite(v) && v > 0;
}

struct Area {
    double xScale; // pixels per user unit
    double right;  // last column + 1: the margin on the right
    double bottom; // last row + 1
    double x(float userX) const { return within(static_cast<double>(userX) * xScale, -1, right); }
};

PixelTrace traceOf(const SeriesTrace& trace, const Area& area, int columns) {
    PixelTrace out{trace.id, {}, {}};
    const std::vector<PlotPoint>& p = trace.points;
    const std::size_t n = p.size();
    const bool flat = !isPositive(trace.height);
    const double yScale = flat ? 0.0 : (area.bottom - 1) / static_cast<double>(trace.height);
    auto y = [&](std::size_t i) {
        return flat ? (area.bottom - 1) / 2
                    : within(static_cast<double>(p[i].y) * yScale, -1, area.bottom);
    };
    if (n <= 2 * static_cast<std::size_t>(columns)) {
        out.polyline.reserve(n);
        for (std::size_t i = 0; i < n; ++i)
            out.polyline.push_back({area.x(p[i].x), y(i)});
        return out;
    }
    struct Run {
        long column;
        double top, bottom, first, last;
    };
    std::vector<Run> runs;
    runs.reserve(static_cast<std::size_t>(columns) + 2);
    for (std::size_t i = 0; i < n; ++i) {
        const long column = std::lround(area.x(p[i].x));
        const double v = y(i);
        if (runs.empty() || runs.back().column != column)
            runs.push_back({column, v, v, v, v});
        Run& r = runs.back();
        r.top = std::min(r.top, v);
        r.bottom = std::max(r.bottom, v);
        r.last = v;
    }
    out.runs.reserve(runs.size());
    for (std::size_t k = 0; k < runs.size(); ++k) {
        double top = runs[k].top;
        double bottom = runs[k].bottom;
        if (k > 0) {
            const double joint = (runs[k - 1].last + runs[k].first) / 2;
            top = std::min(top, joint);
            bottom = std::max(bottom, joint);
        }
        if (k + 1 < runs.size()) {
            const double joint = (runs[k].last + runs[k + 1].first) / 2;
            top = std::min(top, joint);
            bottom = std::max(bottom, joint);
        }
        const auto y0 = static_cast<int>(std::lround(top));
        const auto y1 = static_cast<int>(std::lround(bottom));
        out.runs.push_back({static_cast<int>(runs[k].column), y0, 1, y1 - y0 + 1});
    }
    return out;
}

} // namespace

PlotPixels plotPixels(const PlotDrawing& drawing, int columns, int rows,
                      const std::optional<SelectionLine>& selection) {
    PlotPixels out;
    if (columns < 2 || rows < 1 || !isPositive(drawing.width))
        return out;
    const Area area{(columns - 1) / static_cast<double>(drawing.width),
                    static_cast<double>(columns), static_cast<double>(rows)};
    if (!drawing.blank) {
        for (const ModeBand& b : drawing.bands) {
            const double a = area.x(b.x0);
            const double z = area.x(b.x1);
            const auto left = static_cast<int>(std::floor(std::min(a, z)));
            const auto right = static_cast<int>(std::ceil(std::max(a, z)));
            out.bands.push_back({left, 0, right - left + 1, rows});
        }
        for (const ZeroLine& z : drawing.zeroLines)
            if (isPositive(z.height))
                out.zeroLines.push_back(
                    within(static_cast<double>(z.y) * (rows - 1) / static_cast<double>(z.height),
                           -1, area.bottom));
        for (const SeriesTrace& t : drawing.traces)
            out.traces.push_back(traceOf(t, area, columns));
    }
    if (selection) {
        const double a = area.x(std::min(selection->from, selection->to));
        const double b = area.x(std::max(selection->from, selection->to));
        out.selection = PixelSpan{a, std::max(b - a, 1.0)};
    }
    return out;
}

} // namespace korvane
