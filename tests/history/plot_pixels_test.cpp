// Where a drawing lands in pixels: known answers for ordinary drawings, and
// coordinates that stay finite and near the plot for any drawing at all.

#include "history/plot_pixels.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace korvane {
namespace {

PlotDrawing drawing(float width) {
    PlotDrawing d;
    d.blank = false;
    d.width = width;
    return d;
}

TEST(PlotPixels, UserUnitsSpanTheColumnsAndEachSeriesHeightTheRows) {
    PlotDrawing d = drawing(2);
    d.traces.push_back({SeriesId::Rpm, 2, {{0, 1}, {1, 1}, {2, 0}}});
    d.traces.push_back({SeriesId::Amps, 8.4f, {{0, 0.2f}, {1, 8.2f}, {2, 4.2f}}});
    d.zeroLines.push_back({SeriesId::Amps, 8.4f, 5.2f});
    d.bands.push_back({1, 2});
    const PlotPixels p = plotPixels(d, 101, 51, SelectionLine{1.5f, 0.5f});
    ASSERT_EQ(p.traces.size(), 2u);
    EXPECT_EQ(p.traces[0].polyline, (std::vector<PixelPoint>{{0, 25}, {50, 25}, {100, 0}}));
    const auto& amps = p.traces[1].polyline;
    ASSERT_EQ(amps.size(), 3u);
    EXPECT_NEAR(amps[1].y, 8.2 / 8.4 * 50, 1e-5);
    ASSERT_EQ(p.zeroLines.size(), 1u);
    EXPECT_NEAR(p.zeroLines[0], 5.2 / 8.4 * 50, 1e-5);
    EXPECT_EQ(p.bands, (std::vector<PixelBox>{{50, 0, 51, 51}}));
    ASSERT_TRUE(p.selection);
    EXPECT_DOUBLE_EQ(p.selection->left, 25);
    EXPECT_DOUBLE_EQ(p.selection->width, 50);

    // A band narrower than a pixel still gets its columns.
    PlotDrawing narrow = drawing(1000);
    narrow.bands.push_back({500, 501});
    EXPECT_EQ(plotPixels(narrow, 101, 51).bands, (std::vector<PixelBox>{{50, 0, 2, 51}}));
}

TEST(PlotPixels, AnyDrawingGivesFiniteCoordinatesAroundThePlot) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float tiny = std::numeric_limits<float>::denorm_min();
    const float huge = std::numeric_limits<float>::max();
    const int columns = 101;
    const int rows = 51;
    for (float width : {2.0f, tiny, huge}) {
        PlotDrawing d = drawing(width);
        d.bands = {{-huge, huge}, {nan, 1}, {inf, -inf}};
        d.zeroLines = {{SeriesId::Amps, tiny, huge}, {SeriesId::Watts, 0, 1}};
        for (float height : {0.0f, -1.0f, nan, inf, tiny, huge})
            d.traces.push_back({SeriesId::Volts, height, {{0, huge}, {nan, nan}, {huge, -inf}}});
        const PlotPixels p = plotPixels(d, columns, rows, SelectionLine{-huge, nan});
        auto inside = [&](double x, double y) {
            return x >= -1 && x <= columns && y >= -1 && y <= rows;
        };
        for (const PixelBox& b : p.bands)
            EXPECT_TRUE(inside(b.x, b.y) && inside(b.x + b.width - 1, b.height)) << width;
        EXPECT_EQ(p.zeroLines.size(), 1u) << "a zero line without a height is left out";
        for (double y : p.zeroLines)
            EXPECT_TRUE(inside(0, y)) << width;
        for (const PixelTrace& t : p.traces)
            for (const PixelPoint& q : t.polyline)
                EXPECT_TRUE(inside(q.x, q.y)) << width << ": " << q.x << ", " << q.y;
        // Heights that are not positive numbers draw flat across the middle.
        for (std::size_t i : {0u, 1u, 2u, 3u})
            EXPECT_DOUBLE_EQ(p.traces[i].polyline[0].y, 25) << "trace " << i;
        ASSERT_TRUE(p.selection);
        EXPECT_TRUE(inside(p.selection->left, 0) && std::isfinite(p.selection->width));
    }
    EXPECT_TRUE(plotPixels(drawing(nan), columns, rows).traces.empty());
    EXPECT_TRUE(plotPixels(drawing(inf), columns, rows).bands.empty());
}

} // namespace
} // namespace korvane
