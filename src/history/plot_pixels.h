#pragma once
// Where a PlotDrawing lands on a plot area of so many pixels: the half of
// painting that needs no painter.  Every coordinate it gives is finite and
// lies within one pixel around the area, whatever the drawing holds, so a
// painter is never handed a coordinate it cannot rasterise.
//
// Pixels: column 0 at the left edge, row 0 at the top.  User X 0..width
// spans columns 0..columns-1; each Y is scaled by the height of the series
// it belongs to, so Y 0..height spans rows 0..rows-1.

#include "plot_model.h"

#include <optional>
#include <vector>

namespace korvane {

// The red line a drag leaves along the top edge, in user units.
struct SelectionLine {
    float from = 0;
    float to = 0;
};

// A filled box: columns x .. x + width - 1, rows y .. y + height - 1.
struct PixelBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelBox&) const = default;
};

struct PixelPoint {
    double x = 0;
    double y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// One series.  A trace of up to twice as many points as there are columns
// is its polyline.  A denser one is one vertical run per column, from its
// lowest to its highest pixel, each run reaching halfway to its neighbours'
// ends so the runs join: that covers the pixels the polyline would, without
// stroking each column a dozen times over on a day of 10,000 records.
struct PixelTrace {
    SeriesId id = SeriesId::Volts;
    std::vector<PixelPoint> polyline;
    std::vector<PixelBox> runs;
};

// The selection line: columns from `left` over `width` (at least 1), two
// rows deep along the top edge.
struct PixelSpan {
    double left = 0;
    double width = 0;
};

struct PlotPixels {
    // Over the full height.  Both end columns belong to a band, so the last
    // record's column and a band narrower than a pixel still show.
    std::vector<PixelBox> bands;
    // Rows of the zero lines, each across every column.
    std::vector<double> zeroLines;
    std::vector<PixelTrace> traces; // in drawing order, volts first
    std::optional<PixelSpan> selection;
};

// Nothing is drawn for a blank drawing, a width that is not a positive
// number, or an area less than two columns wide.  A series whose height is
// not a positive number lies flat across the middle; a zero line with such
// a height is left out.
PlotPixels plotPixels(const PlotDrawing& drawing, int columns, int rows,
                      const std::optional<SelectionLine>& selection = std::nullopt);

} // namespace korvane
