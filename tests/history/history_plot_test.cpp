// What paintPlot puts on the pixels: bands, zero lines and traces, dense or
// sparse.

#include "history/plot_colours.h"
#include "history/ui/history_plot.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace korvane {
namespace {

QImage paint(const PlotDrawing& d, QSize size = {101, 51}) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    paintPlot(painter, size, d);
    return image;
}

// Rows of column x painted in `colour`, top to bottom.
std::vector<int> rowsIn(const QImage& image, int x, QColor colour) {
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y)
        if (image.pixelColor(x, y) == colour)
            rows.push_back(y);
    return rows;
}

PlotDrawing drawing(float width) {
    PlotDrawing d;
    d.blank = false;
    d.width = width;
    return d;
}

TEST(PaintPlot, DenseTraceCoversEachColumnFromItsLowestToItsHighestPoint) {
    // 1,000 points over 101 columns, swinging between near the top and near
    // the bottom: every column must show the whole swing.
    PlotDrawing d = drawing(999);
    SeriesTrace t{SeriesId::Volts, 2, {}};
    for (int i = 0; i < 1000; ++i)
        t.points.push_back({static_cast<float>(i), i % 2 ? 0.2f : 1.8f});
    d.traces.push_back(t);
    const QImage image = paint(d);
    for (int x = 0; x < image.width(); ++x) {
        const auto rows = rowsIn(image, x, QColor(255, 0, 0));
        ASSERT_FALSE(rows.empty()) << "column " << x;
        EXPECT_LE(rows.front(), 5) << "column " << x;
        EXPECT_GE(rows.back(), 45) << "column " << x;
        EXPECT_EQ(rows.back() - rows.front() + 1, static_cast<int>(rows.size())) << "one run";
    }
}

TEST(PaintPlot, SparseTraceIsDrawnAsItsSegments) {
    PlotDrawing d = drawing(2);
    d.traces.push_back({SeriesId::Rpm, 2, {{0, 1}, {1, 1}, {2, 0}}});
    const QImage image = paint(d);
    const QColor yellow(255, 255, 0);
    EXPECT_EQ(rowsIn(image, 25, yellow), std::vector<int>{25})
        << "flat first segment at mid-height";
    const auto rising = rowsIn(image, 75, yellow);
    ASSERT_FALSE(rising.empty());
    EXPECT_NEAR(rising.front(), 12.5, 1.5) << "second segment half way up";
    EXPECT_EQ(image.pixelColor(50, 5), QColor(64, 64, 64)) << "background";
}

TEST(PaintPlot, BandsFillTheFullHeightUnderZeroLinesAndSeries) {
    PlotDrawing d = drawing(1000);
    d.bands = {{500, 501}, {999, 1000}}; // both narrower than a pixel
    d.zeroLines.push_back({SeriesId::Amps, 2, 1});
    const QImage image = paint(d);
    const QColor band(128, 128, 255);
    EXPECT_EQ(image.pixelColor(50, 0), band);
    EXPECT_EQ(image.pixelColor(50, 50), band);
    EXPECT_EQ(image.pixelColor(100, 10), band) << "the last column belongs to the band";
    EXPECT_EQ(image.pixelColor(50, 25), QColor(0, 255, 255)) << "zero line over the band";
    EXPECT_EQ(image.pixelColor(20, 10), QColor(64, 64, 64));
}

TEST(PaintPlot, BlankDrawingIsJustTheBackground) {
    PlotDrawing d;
    d.traces.push_back({SeriesId::Volts, 2, {{0, 0}, {1, 2}}});
    const QImage image = paint(d);
    for (int x = 0; x < image.width(); x += 10)
        EXPECT_EQ(rowsIn(image, x, QColor(64, 64, 64)).size(), 51u);
}

} // namespace
} // namespace korvane
