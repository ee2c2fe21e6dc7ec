// Plot geometry, labels and table rows of one render, checked against known
// answers in the plot's user units.

#include "history/plot_model.h"

#include <cmath>
#include <gtest/gtest.h>

namespace korvane {
namespace {

const FixedTimeFormats kTimes;

HistoryTextForms forms(const char* units = "km/h", char decimal = '.') {
    return {NumberFormat{decimal}, &kTimes, units};
}

SeriesSwitches allOn(bool refVoltsToZero = false) {
    return {true, true, true, true, true, refVoltsToZero};
}

const SeriesTrace* traceOf(const PlotModel& m, SeriesId id) {
    for (const auto& t : m.drawing.traces)
        if (t.id == id)
            return &t;
    return nullptr;
}

const SeriesScale& scaleOf(const PlotModel& m, SeriesId id) {
    return m.scales[static_cast<int>(id)];
}

// Records 1..n with the given volts; the rest zero.
HistoryBuffer withVolts(std::initializer_list<double> volts) {
    HistoryBuffer h;
    int k = 1;
    for (double v : volts)
        h.Volts[k++] = v;
    return h;
}

void expectPoints(const SeriesTrace* t, std::initializer_list<PlotPoint> expected) {
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->points.size(), expected.size());
    auto p = t->points.begin();
    for (const PlotPoint& e : expected) {
        EXPECT_FLOAT_EQ(p->x, e.x);
        EXPECT_FLOAT_EQ(p->y, e.y);
        ++p;
    }
}

TEST(PlotModel, ThreeVoltReadingsScaleToTheirOwnRange) {
    const HistoryBuffer h = withVolts({12.0, 12.5, 13.0});
    const PlotModel m = buildPlotModel(h, {1, 3}, allOn(), forms());
    ASSERT_TRUE(m.drawn);
    EXPECT_FLOAT_EQ(m.drawing.width, 2);
    EXPECT_DOUBLE_EQ(scaleOf(m, SeriesId::Volts).range(), 1);
    EXPECT_DOUBLE_EQ(scaleOf(m, SeriesId::Volts).seriesHeight(), 1.05);
    expectPoints(traceOf(m, SeriesId::Volts), {{0, 1.025f}, {1, 0.525f}, {2, 0.025f}});
    EXPECT_FLOAT_EQ(traceOf(m, SeriesId::Volts)->height, 1.05f);
    EXPECT_EQ(m.labels.VMax1, "13 V");
    EXPECT_EQ(m.labels.VMin1, "12 V");
    EXPECT_EQ(m.rows.size(), 3u);
}

TEST(PlotModel, RefVoltsToZeroStartsTheVoltsScaleAtZero) {
    const HistoryBuffer h = withVolts({12.0, 12.5, 13.0});
    const PlotModel m = buildPlotModel(h, {1, 3}, allOn(true), forms());
    EXPECT_DOUBLE_EQ(scaleOf(m, SeriesId::Volts).min, 0);
    EXPECT_DOUBLE_EQ(scaleOf(m, SeriesId::Volts).range(), 13);
    EXPECT_DOUBLE_EQ(scaleOf(m, SeriesId::Volts).seriesHeight(), 13.65);
    EXPECT_EQ(m.labels.VMin1, "0 V");
}

TEST(PlotModel, StartingValuesTakePartInTheSearch) {
    HistoryBuffer h = withVolts({150, 160});
    h.Amps[1] = 600;
    h.Amps[2] = 700;
    h.Watts[1] = -2500;
    h.Watts[2] = -2100;
    h.Rpm[1] = 1200;
    h.Rpm[2] = 1500;
    h.WindSpeed[1] = 2;
    h.WindSpeed[2] = 3;
    const PlotModel m = buildPlotModel(h, {1, 2}, allOn(), forms("mph"));
    EXPECT_EQ(m.labels.VMax1, "160 V");
    EXPECT_EQ(m.labels.VMin1, "100 V") << "volts minimum starts at 100";
    EXPECT_EQ(m.labels.AMax1, "700 A");
    EXPECT_EQ(m.labels.AMin1, "500 A");
    EXPECT_EQ(m.labels.WMax1, "-2000 W");
    EXPECT_EQ(m.labels.WMin1, "-2500 W");
    EXPECT_EQ(m.labels.RMax1, "1500 RPM");
    EXPECT_EQ(m.labels.RMin1, "1000 RPM");
    EXPECT_EQ(m.labels.SMax1, "3 mph");
    EXPECT_EQ(m.labels.SMin1, "2 mph");
    EXPECT_DOUBLE_EQ(scaleOf(m, SeriesId::Rpm).range(), 500);
}

TEST(PlotModel, ZeroRangeIsDrawnFlatAcrossTheMiddle) {
    const HistoryBuffer h = withVolts({12, 13, 14});
    const PlotModel m = buildPlotModel(h, {1, 3}, allOn(), forms());
    EXPECT_DOUBLE_EQ(scaleOf(m, SeriesId::Rpm).range(), 0);
    EXPECT_DOUBLE_EQ(scaleOf(m, SeriesId::Rpm).seriesHeight(), 2);
    expectPoints(traceOf(m, SeriesId::Rpm), {{0, 1}, {1, 1}, {2, 1}});
    EXPECT_EQ(m.labels.RMax1, "0 RPM");
    EXPECT_EQ(m.labels.RMin1, "0 RPM");
}

TEST(PlotModel, AmpsAcrossZeroGetAZeroLine) {
    HistoryBuffer h;
    h.Amps[1] = 5;
    h.Amps[2] = -3;
    h.Amps[3] = 1;
    const PlotModel m = buildPlotModel(h, {1, 3}, allOn(), forms());
    EXPECT_DOUBLE_EQ(scaleOf(m, SeriesId::Amps).range(), 8);
    EXPECT_DOUBLE_EQ(scaleOf(m, SeriesId::Amps).seriesHeight(), 8.4);
    expectPoints(traceOf(m, SeriesId::Amps), {{0, 0.2f}, {1, 8.2f}, {2, 4.2f}});
    ASSERT_EQ(m.drawing.zeroLines.size(), 1u);
    EXPECT_EQ(m.drawing.zeroLines[0].id, SeriesId::Amps);
    EXPECT_FLOAT_EQ(m.drawing.zeroLines[0].y, 5.2f);
    EXPECT_FLOAT_EQ(m.drawing.zeroLines[0].height, 8.4f);
}

TEST(PlotModel, ZeroLinesOnlyWhenTheSeriesCrossesZero) {
    struct Case {
        double a1, a2, w1, w2;
        std::vector<SeriesId> lines;
    };
    const Case cases[] = {
        {1, 5, 10, 20, {}},
        {-1, -5, -10, -20, {}},
        {0, 5, 0, 20, {}},
        {-1, 5, 10, 20, {SeriesId::Amps}},
        {1, 5, -10, 20, {SeriesId::Watts}},
        {-1, 5, -10, 20, {SeriesId::Amps, SeriesId::Watts}},
    };
    for (const auto& c : cases) {
        HistoryBuffer h;
        h.Amps[1] = c.a1;
        h.Amps[2] = c.a2;
        h.Watts[1] = c.w1;
        h.Watts[2] = c.w2;
        // Zero lines do not depend on the switches.
        const PlotModel m = buildPlotModel(h, {1, 2}, SeriesSwitches{}, forms());
        std::vector<SeriesId> got;
        for (const auto& z : m.drawing.zeroLines)
            got.push_back(z.id);
        EXPECT_EQ(got, c.lines) << c.a1 << ' ' << c.a2 << ' ' << c.w1 << ' ' << c.w2;
    }
}

TEST(PlotModel, LoadOnRecordsMakeBandsFromTheSecondPositionOn) {
    HistoryBuffer h;
    for (int k : {1, 4, 5, 6, 9})
        h.Mode[k] = 1;
    h.Mode[8] = 2; // only mode 1 is load on
    const PlotModel m = buildPlotModel(h, {1, 9}, allOn(), forms());
    ASSERT_EQ(m.drawing.bands.size(), 2u);
    EXPECT_EQ(m.drawing.bands[0], (ModeBand{2, 5}));
    EXPECT_EQ(m.drawing.bands[1], (ModeBand{7, 8}));
}

TEST(PlotModel, FractionalViewVisitsSlotsWithHalvesToEven) {
    HistoryBuffer h;
    for (int k = 1; k <= 50; ++k) {
        h.Volts[k] = k;
        h.Time[k] = k / 1440.0;
    }
    const PlotModel m = buildPlotModel(h, {37.5, 41.5}, allOn(), forms());
    std::vector<std::string> volts;
    for (const auto& row : m.rows)
        volts.push_back(tableCellText(row, 1, forms()));
    EXPECT_EQ(volts, (std::vector<std::string>{"38 ", "38 ", "40 ", "40 ", "42 "}));
    EXPECT_FLOAT_EQ(m.drawing.width, 4);
    EXPECT_EQ(m.labels.stime, "00:38");
    EXPECT_EQ(m.labels.ftime, "00:42");
    // The last position of a zoom made of single-precision positions counts.
    EXPECT_EQ(buildPlotModel(h, {10, 20}, allOn(), forms()).rows.size(), 11u);
    EXPECT_EQ(buildPlotModel(h, {10.4f, 20.4f}, allOn(), forms()).rows.size(), 11u);
}

TEST(PlotModel, TableRowsCarryATrailingSpaceAndShortTime) {
    HistoryBuffer h;
    h.Mode[1] = 1;
    h.Volts[1] = 13.52;
    h.Amps[1] = -4.1;
    h.Watts[1] = 55.43;
    h.Rpm[1] = 350.5;
    h.WindSpeed[1] = 12.3;
    h.Time[1] = (14 * 60 + 5) / 1440.0;
    const PlotModel m = buildPlotModel(h, {1, 2}, allOn(), forms("km/h", ','));
    ASSERT_EQ(m.rows.size(), 2u);
    EXPECT_EQ(tableRowTexts(m.rows[0], forms("km/h", ',')),
              (TableRow{"1 ", "13,52 ", "-4,1 ", "55,43 ", "350,5 ", "12,3 ", "14:05 "}));
    EXPECT_EQ(tableRowTexts(m.rows[1], forms()),
              (TableRow{"0 ", "0 ", "0 ", "0 ", "0 ", "0 ", "00:00 "}));
    EXPECT_EQ(m.labels.stime, "14:05");
}

TEST(PlotModel, SwitchedOffSeriesKeepLabelsRowsBandsAndZeroLines) {
    HistoryBuffer h;
    h.Amps[1] = -1;
    h.Amps[2] = 1;
    h.Mode[2] = 1;
    const PlotModel m = buildPlotModel(h, {1, 2}, SeriesSwitches{}, forms());
    EXPECT_TRUE(m.drawing.traces.empty());
    EXPECT_EQ(m.drawing.zeroLines.size(), 1u);
    EXPECT_EQ(m.drawing.bands.size(), 1u);
    EXPECT_EQ(m.rows.size(), 2u);
    EXPECT_EQ(m.labels.AMin1, "-1 A");

    const PlotModel some = buildPlotModel(h, {1, 2}, {false, true, false, true, false}, forms());
    ASSERT_EQ(some.drawing.traces.size(), 2u);
    EXPECT_EQ(some.drawing.traces[0].id, SeriesId::Amps);
    EXPECT_EQ(some.drawing.traces[1].id, SeriesId::Rpm);
}

TEST(PlotModel, RangesSinglePrecisionCannotCarryAreDrawnFlat) {
    // Log values that pass the numeric test yet overflow or vanish in the
    // drawing's single precision.  The labels keep the true numbers.
    struct Case {
        SeriesId id;
        double a, b;
        bool refVoltsToZero;
        const char* maxLabel;
        const char* minLabel;
    };
    const Case cases[] = {
        {SeriesId::Volts, 1e39, 12, true, "1e+39 V", "0 V"},
        {SeriesId::Volts, -1.7e308, 12, false, "12 V", "-1.7e+308 V"},
        {SeriesId::Volts, 1e-50, 0, true, "1e-50 V", "0 V"},
        {SeriesId::Volts, 4e-320, 0, true, "3.99995546873073e-320 V", "0 V"},
        {SeriesId::Amps, 1.7e308, -1.7e308, true, "1.7e+308 A", "-1.7e+308 A"}, // range overflows
        {SeriesId::Rpm, 1.75e308, 0, true, "1.75e+308 RPM", "0 RPM"}, // SeriesHeight overflows
    };
    for (const auto& c : cases) {
        HistoryBuffer h;
        auto& values = c.id == SeriesId::Volts ? h.Volts : c.id == SeriesId::Amps ? h.Amps : h.Rpm;
        values[1] = c.a;
        values[2] = c.b;
        const PlotModel m = buildPlotModel(h, {1, 2}, allOn(c.refVoltsToZero), forms());
        const SeriesTrace* t = traceOf(m, c.id);
        ASSERT_NE(t, nullptr);
        EXPECT_FLOAT_EQ(t->height, 2) << c.a;
        expectPoints(t, {{0, 1}, {1, 1}});
        const PlotLabels& l = m.labels;
        const auto [maxText, minText] = c.id == SeriesId::Volts  ? std::pair(l.VMax1, l.VMin1)
                                        : c.id == SeriesId::Amps ? std::pair(l.AMax1, l.AMin1)
                                                                 : std::pair(l.RMax1, l.RMin1);
        EXPECT_EQ(maxText, c.maxLabel);
        EXPECT_EQ(minText, c.minLabel);
        for (const ZeroLine& z : m.drawing.zeroLines)
            EXPECT_NE(z.id, c.id) << "a flat series has no zero line";
    }
    // Just inside single precision the arithmetic is the ordinary one.
    HistoryBuffer h;
    h.Volts[1] = 3e38;
    h.Volts[2] = 1e38;
    const PlotModel m = buildPlotModel(h, {1, 2}, allOn(true), forms());
    EXPECT_FLOAT_EQ(traceOf(m, SeriesId::Volts)->height, 3.15e38f);
    expectPoints(traceOf(m, SeriesId::Volts), {{0, 0.075e38f}, {1, 2.075e38f}});
}

TEST(PlotModel, ViewsOfLessThanTwoPositionsDrawNothing) {
    const HistoryBuffer h = withVolts({12, 13});
    for (PlotView v : {PlotView{0, 0}, PlotView{1, 1}, PlotView{5, 2}, PlotView{NAN, 3}}) {
        const PlotModel m = buildPlotModel(h, v, allOn(), forms());
        EXPECT_FALSE(m.drawn);
        EXPECT_TRUE(m.drawing.blank);
        EXPECT_TRUE(m.rows.empty());
    }
}

TEST(PlotModel, ViewsBeyondTheSlotsNeverReadOutsideThem) {
    HistoryBuffer h;
    h.Volts[HistoryBuffer::kLastSlot] = 7;
    const PlotModel wide = buildPlotModel(h, {-50, 1e12}, allOn(), forms());
    ASSERT_TRUE(wide.drawn);
    EXPECT_EQ(wide.rows.size(), static_cast<std::size_t>(HistoryBuffer::kSlots));
    EXPECT_EQ(wide.labels.VMax1, "7 V");
    const PlotModel high = buildPlotModel(h, {9999.6, 20000}, allOn(), forms());
    EXPECT_EQ(high.rows.size(), 1u) << "cut to 9999.6..10000 leaves one position";
    EXPECT_FALSE(buildPlotModel(h, {10001, 10005}, allOn(), forms()).drawn);
}

} // namespace
} // namespace korvane
