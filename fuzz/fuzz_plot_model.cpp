// The plot model and its pixel mapping over arbitrary histories, views,
// switches and plot sizes: everything that would reach the painter is
// finite and lies within a pixel of the plot, the labels, table texts and
// readout are numbers, and no slot outside the arrays is read.
//
// Input: the last bytes choose the switches, the view, the plot size, the
// pointer and a few slots overwritten with raw bit patterns (values no query
// stores, NaN and infinities among them); the rest is two days' logs, the
// second loaded over the first as a new query loads over an old one, so
// slots past the record count hold an earlier query's values.

#include "history/cursor_readout.h"
#include "history/history_query.h"
#include "history/plot_model.h"
#include "history/plot_pixels.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <string_view>

using namespace korvane;

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

void checkText(const std::string& text) {
    for (const char* word : {"inf", "nan", "INF", "NAN", "Inf", "NaN"})
        check(text.find(word) == std::string::npos);
}

double position(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        return in.ConsumeIntegralInRange<int>(-2, HistoryBuffer::kSlots + 1);
    case 1:
        return in.ConsumeFloatingPointInRange<double>(-20, 400);
    case 2:
        return static_cast<float>(in.ConsumeFloatingPointInRange<double>(-20, 400));
    default:
        return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
    }
}

// A pointer X as the window gets it: single precision, any bit pattern.
float pointerX(FuzzedDataProvider& in) {
    if (in.ConsumeBool())
        return std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>());
    return static_cast<float>(in.ConsumeFloatingPointInRange<double>(-20, 400));
}

std::vector<double>& seriesOf(HistoryBuffer& h, int id) {
    switch (id) {
    case 0:
        return h.Volts;
    case 1:
        return h.Amps;
    case 2:
        return h.Watts;
    case 3:
        return h.Rpm;
    case 4:
        return h.WindSpeed;
    default:
        return h.Time;
    }
}

void checkDrawing(const PlotDrawing& d) {
    check(std::isfinite(d.width));
    for (const ModeBand& b : d.bands)
        check(std::isfinite(b.x0) && std::isfinite(b.x1));
    for (const ZeroLine& z : d.zeroLines)
        check(std::isfinite(z.height) && z.height > 0 && z.y >= 0 && z.y <= z.height);
    for (const SeriesTrace& t : d.traces) {
        check(std::isfinite(t.height) && t.height > 0);
        for (const PlotPoint& p : t.points)
            check(std::isfinite(p.x) && p.y >= 0 && p.y <= t.height);
    }
}

void checkPixels(const PlotPixels& px, int columns, int rows) {
    auto inside = [&](double x, double y) {
        return x >= -1 && x <= columns && y >= -1 && y <= rows;
    };
    for (const PixelBox& b : px.bands)
        check(inside(b.x, 0) && b.width >= 1 && inside(b.x + b.width - 1, b.height));
    for (double y : px.zeroLines)
        check(inside(0, y));
    for (const PixelTrace& t : px.traces) {
        for (const PixelPoint& p : t.polyline)
            check(inside(p.x, p.y));
        for (const PixelBox& r : t.runs)
            check(inside(r.x, r.y) && r.height >= 1 && inside(r.x, r.y + r.height - 1));
    }
    if (px.selection)
        check(inside(px.selection->left, 0) && px.selection->width >= 1 &&
              px.selection->width <= columns + 2);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    static HistoryBuffer history;
    history = HistoryBuffer();
    static const FixedTimeFormats times;
    const HistoryTextForms forms{NumberFormat{in.ConsumeBool() ? ',' : '.'}, &times, "km/h"};

    SeriesSwitches switches;
    for (bool* s : {&switches.volts, &switches.amps, &switches.watts, &switches.rpm,
                    &switches.windSpeed, &switches.refVoltsToZero})
        *s = in.ConsumeBool();
    const bool fullView = in.ConsumeBool();
    const double first = position(in);
    const double last = position(in);
    const int columns = in.ConsumeIntegralInRange<int>(0, 1200);
    const int rows = in.ConsumeIntegralInRange<int>(0, 900);
    const float pointer = pointerX(in);
    const float pressed = pointerX(in);
    const int raw = in.ConsumeIntegralInRange<int>(0, 4);
    for (int i = 0; i < raw; ++i) {
        const int slot = in.ConsumeIntegralInRange<int>(0, HistoryBuffer::kLastSlot);
        const int series = in.ConsumeIntegralInRange<int>(0, 6);
        const auto bits = in.ConsumeIntegral<std::uint64_t>();
        if (series == 6)
            history.Mode[slot] = static_cast<std::int16_t>(bits);
        else
            seriesOf(history, series)[slot] = std::bit_cast<double>(bits);
    }

    const auto split = in.ConsumeIntegral<std::uint16_t>();
    const std::string logs = in.ConsumeRemainingBytesAsString();
    const std::size_t cut = std::min<std::size_t>(split, logs.size());
    const QueryRange wholeDay{{0, 0}, {23, 59}};
    (void)loadRecords(std::string_view(logs).substr(0, cut), wholeDay, forms.numbers, history);
    const LoadResult loaded =
        loadRecords(std::string_view(logs).substr(cut), wholeDay, forms.numbers, history);
    check(loaded.recordCount >= 0 && loaded.recordCount <= HistoryBuffer::kMaxRecords);
    const PlotView view =
        fullView ? PlotView{1, static_cast<double>(loaded.recordCount)} : PlotView{first, last};

    const PlotModel model = buildPlotModel(history, view, switches, forms);
    checkDrawing(model.drawing);
    check(model.rows.size() <= static_cast<std::size_t>(HistoryBuffer::kSlots));
    const PlotLabels& l = model.labels;
    for (const std::string* text : {&l.stime, &l.ftime, &l.VMax1, &l.VMin1, &l.AMax1, &l.AMin1,
                                    &l.WMax1, &l.WMin1, &l.RMax1, &l.RMin1, &l.SMax1, &l.SMin1})
        checkText(*text);
    // Every row goes through the same texts; a few at each end will do.
    const std::size_t n = model.rows.size();
    for (std::size_t i = 0; i < n; i = (i == 19 && n > 40) ? n - 20 : i + 1)
        for (const std::string& cell : tableRowTexts(model.rows[i], forms))
            checkText(cell);

    const SelectionLine selection{pressed, pointer};
    checkPixels(plotPixels(model.drawing, columns, rows, selection), columns, rows);

    if (const auto r = readoutAt(history, pointer, view.first, loaded.recordCount, forms))
        for (const std::string* text : {&r->vt, &r->vv, &r->av, &r->wv, &r->rv, &r->sv})
            checkText(*text);
    (void)zoomLastIndex(view.first, pointer, loaded.recordCount);
    return 0;
}
