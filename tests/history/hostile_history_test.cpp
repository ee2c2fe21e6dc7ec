// Days of log values that pass the numeric test but are hostile to a
// drawing, taken through the query and the plot model with every switch on
// and every kind of view: nothing that is not finite comes out, and no text
// says "inf" or "nan".

#include "history/history_query.h"
#include "history/plot_model.h"
#include "history/plot_pixels.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace korvane {
namespace {

const FixedTimeFormats kTimes;
const HistoryTextForms kForms{NumberFormat{'.'}, &kTimes, "km/h"};

// Record k takes its volts, amps, watts, RPM and wind speed from the value
// texts k, k+1, ... k+4 round the list, so each series gets every value.
std::string dayOf(const std::vector<const char*>& values, int records) {
    std::string text;
    const auto n = values.size();
    for (int k = 0; k < records; ++k) {
        auto v = [&](int i) { return std::string(values[(k + i) % n]); };
        const int minute = k + 1;
        text += "<T>" + std::to_string(8 + minute / 60) + ":" + std::to_string(minute % 60) +
                "</T><V>" + v(0) + "</V><I>" + v(1) + "</I><W>" + v(2) + "</W><R>" + v(3) +
                "</R><S>" + v(4) + "</S><M>" + std::to_string(k % 2) + "</M>\r\n";
    }
    return text;
}

bool saysNotANumber(const std::string& text) {
    for (const char* word : {"inf", "nan", "INF", "NAN", "Inf", "NaN"})
        if (text.find(word) != std::string::npos)
            return true;
    return false;
}

void expectFinite(const PlotModel& m, const std::string& where) {
    const PlotDrawing& d = m.drawing;
    EXPECT_TRUE(std::isfinite(d.width)) << where;
    for (const ModeBand& b : d.bands)
        EXPECT_TRUE(std::isfinite(b.x0) && std::isfinite(b.x1)) << where;
    for (const ZeroLine& z : d.zeroLines)
        EXPECT_TRUE(std::isfinite(z.y) && std::isfinite(z.height) && z.height > 0) << where;
    for (const SeriesTrace& t : d.traces) {
        EXPECT_TRUE(std::isfinite(t.height) && t.height > 0) << where << " height " << t.height;
        for (const PlotPoint& p : t.points)
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && p.y >= 0 && p.y <= t.height)
                << where << " series " << static_cast<int>(t.id) << " y " << p.y;
    }
    // The plot area of the window, and the smallest that draws at all.
    for (const std::pair<int, int>& area : {std::pair(469, 349), std::pair(2, 1)}) {
        const int columns = area.first;
        const int rows = area.second;
        const PlotPixels px = plotPixels(d, columns, rows, SelectionLine{0, d.width});
        auto inside = [&](double x, double y) {
            return x >= -1 && x <= columns && y >= -1 && y <= rows;
        };
        for (const PixelTrace& t : px.traces) {
            for (const PixelPoint& q : t.polyline)
                ASSERT_TRUE(inside(q.x, q.y)) << where << ": " << q.x << ", " << q.y;
            for (const PixelBox& r : t.runs)
                ASSERT_TRUE(inside(r.x, r.y) && inside(r.x, r.y + r.height - 1)) << where;
        }
        for (double y : px.zeroLines)
            EXPECT_TRUE(inside(0, y)) << where;
    }
    const PlotLabels& l = m.labels;
    for (const std::string* text : {&l.stime, &l.ftime, &l.VMax1, &l.VMin1, &l.AMax1, &l.AMin1,
                                    &l.WMax1, &l.WMin1, &l.RMax1, &l.RMin1, &l.SMax1, &l.SMin1})
        EXPECT_FALSE(saysNotANumber(*text)) << where << ": " << *text;
    for (const TableRecord& r : m.rows)
        for (const std::string& cell : tableRowTexts(r, kForms))
            ASSERT_FALSE(saysNotANumber(cell)) << where << ": " << cell;
}

TEST(HostileHistory, ExtremeNegativeZeroAndEqualValuesDrawOnlyFiniteCoordinates) {
    struct Day {
        const char* name;
        std::vector<const char*> values;
    };
    const Day days[] = {
        {"extremes", {"1e39", "-1.7e308", "1e-50", "4e-320", "1.7e308", "12.5", "-1e39"}},
        {"negatives", {"-1e300", "-5", "-1.7e308", "-4e-320", "-0.001"}},
        {"zeros", {"0", "-0", "0.0", "0e300"}},
        {"all 1e39", {"1e39"}},
        {"all -1.7e308", {"-1.7e308"}},
        {"all 4e-320", {"4e-320"}},
        {"all 1e-50", {"1e-50"}},
    };
    const int records = 40;
    for (const Day& day : days) {
        HistoryBuffer history;
        const LoadResult loaded =
            loadRecords(dayOf(day.values, records), {{0, 0}, {23, 59}}, kForms.numbers, history);
        ASSERT_EQ(loaded.recordCount, records) << day.name;
        const PlotView views[] = {
            {1, records}, {1.5, records - 0.5}, {records - 1, records}, {10.4f, 20.4f},
            {0, 10000},   {-1e12, 1e12},        {37.5, 41.5},           {1, 1.000001},
        };
        for (const PlotView& view : views)
            for (bool ref : {false, true}) {
                const PlotModel m =
                    buildPlotModel(history, view, {true, true, true, true, true, ref}, kForms);
                expectFinite(m, std::string(day.name) + " view " + std::to_string(view.first) +
                                    ".." + std::to_string(view.last) + (ref ? " ref" : ""));
            }
    }
}

} // namespace
} // namespace korvane
