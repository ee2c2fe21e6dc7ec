#pragma once
// What one render of the history shows, worked out without any window: the
// series scales, the polylines in the plot's user units, the load-on bands,
// the zero lines, the label texts and the record table rows.
//
// User units: X = 0 at the plot's left edge, one unit per record position,
// so the plot is LastIndex - FirstIndex wide.  Y = 0 at the top edge and
// grows downward; each series has its own height (SeriesHeight), so a Y is
// only meaningful together with the height it belongs to.

#include "history_buffer.h"
#include "platform/numbers.h"
#include "platform/time_formats.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

enum class SeriesId { Volts, Amps, Watts, Rpm, WindSpeed }; // also the drawing order
inline constexpr int kSeriesCount = 5;

// The positions shown at the plot's left and right edges (FirstIndex and
// LastIndex).  Positions may hold fractions; position p reads slot(p).
struct PlotView {
    double first = 0;
    double last = 0;
};

// The switch values (1 = ticked).
struct SeriesSwitches {
    bool volts = false;
    bool amps = false;
    bool watts = false;
    bool rpm = false;
    bool windSpeed = false;
    bool refVoltsToZero = false;
    bool shows(SeriesId id) const;
};

// How numbers and times are written, and the wind-speed unit text.
struct HistoryTextForms {
    NumberFormat numbers;
    const TimeFormats* times = nullptr; // short time of record times
    std::string wsUnits;
};

// The maximum and minimum of one series over the view, each started from
// the series' fixed starting value (volts 0 / 100, or 0 / 0 with "Ref V to
// 0v"; amps -500 / 500; watts -2000 / 2000; RPM and wind speed 0 / 1000).
struct SeriesScale {
    double max = 0;
    double min = 0;
    double range() const { return max - min; }
    // r + r/20, or 2 for a range of 0 (the series is then drawn flat at 1).
    double seriesHeight() const;
    // max - v + r/40, or 1 for a range of 0.
    double yOf(double value) const;
    // Whether the drawing's single precision can carry this scale: a range
    // above 0 whose SeriesHeight is a finite float of at least FLT_MIN.
    // Ranges from log values such as 1e39, -1.7e308 or 1e-50 cannot.
    bool drawable() const;
    // seriesHeight() and yOf() as the drawing gets them, in single
    // precision; a range of 0 or one that is not drawable gives 2 and 1, a
    // flat line across the middle.  Always finite, 0 <= y <= height.
    float drawnHeight() const;
    float drawnY(double value) const;
};

struct PlotPoint {
    float x = 0;
    float y = 0;
    bool operator==(const PlotPoint&) const = default;
};

// One switched-on series: consecutive points are the segments of the
// drawing passes (segment i joins points i-1 and i).
struct SeriesTrace {
    SeriesId id = SeriesId::Volts;
    float height = 2; // SeriesHeight the Y values belong to (SeriesScale::drawnHeight)
    std::vector<PlotPoint> points;
};

// A horizontal line across the full width at the value 0 of amps or watts,
// present only when the series' maximum is above 0 and its minimum below,
// and its scale is drawable (a series drawn flat has no zero to show).
struct ZeroLine {
    SeriesId id = SeriesId::Amps;
    float height = 2;
    float y = 0;
};

// Records taken with the load on (mode 1): a pass from x0 to x1 for each
// such record after the first position, merged with its neighbours.  Bands
// fill the plot's full height, under the zero lines and the series.
struct ModeBand {
    float x0 = 0;
    float x1 = 0;
    bool operator==(const ModeBand&) const = default;
};

struct PlotDrawing {
    bool blank = true; // nothing to draw: the view holds fewer than two positions
    float width = 0;   // LastIndex - FirstIndex
    std::vector<ModeBand> bands;
    std::vector<ZeroLine> zeroLines; // amps first, then watts
    std::vector<SeriesTrace> traces; // volts lowest, wind speed on top
};

// Label texts: number text followed by " V", " A", " W", " RPM" or, for wind
// speed, a space and the unit text; times in the short time form.
struct PlotLabels {
    std::string stime, ftime;
    std::string VMax1, VMin1, AMax1, AMin1, WMax1, WMin1, RMax1, RMin1, SMax1, SMin1;
};

// One row of the record table: the values in the slot that a position of
// the view reads, kept as numbers so the table writes only the rows it shows.
struct TableRecord {
    std::int16_t mode = 0;
    double volts = 0;
    double amps = 0;
    double watts = 0;
    double rpm = 0;
    double windSpeed = 0;
    double time = 0; // fraction of a day
};

// The texts of a row, left to right: mode, volts, amps, watts, RPM, wind
// speed in the number text, then the short time; each followed by one space.
using TableRow = std::array<std::string, 7>;
inline constexpr int kTableColumns = 7;
std::string tableCellText(const TableRecord& record, int column /* 0..6 */,
                          const HistoryTextForms& forms);
TableRow tableRowTexts(const TableRecord& record, const HistoryTextForms& forms);

struct PlotModel {
    // False when FirstIndex is not below LastIndex: the plot and the table
    // are emptied and the labels and scales keep what they showed.
    bool drawn = false;
    PlotDrawing drawing;
    PlotLabels labels;
    std::array<SeriesScale, kSeriesCount> scales{}; // indexed by SeriesId
    std::vector<TableRecord> rows;                  // one per position in view
};

// One render.  The positions visited are FirstIndex, FirstIndex + 1, ... up
// to LastIndex; each reads slot(p), so a zoomed view of 37.5 to 41.5 visits
// slots 38, 38, 40, 40, 42.  A view reaching outside positions 0..10000 is
// first cut to them, and a view that is not a number is blank: no slot
// outside the arrays is ever read.
PlotModel buildPlotModel(const HistoryBuffer& history, PlotView view,
                         const SeriesSwitches& switches, const HistoryTextForms& forms);

// The short time of a `Time` value.
std::string shortTimeOf(double dayFraction, const TimeFormats& times);

} // namespace korvane
