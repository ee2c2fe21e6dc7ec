#include "plot_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane {

bool SeriesSwitches::shows(SeriesId id) const {
    switch (id) {
    case SeriesId::Volts:
        return volts;
    case SeriesId::Amps:
        return amps;
    case SeriesId::Watts:
        return watts;
    case SeriesId::Rpm:
        return rpm;
    case SeriesId::WindSpeed:
        return windSpeed;
    }
    return false;
}

double SeriesScale::seriesHeight() const {
    const double r = range();
    return r > 0 ? r + r / 20 : 2.0;
}

double SeriesScale::yOf(double value) const {
    const double r = range();
    return r > 0 ? max - value + r / 40 : 1.0;
}

bool SeriesScale::drawable() const {
    const double h = seriesHeight();
    // Compared in double before any conversion: a double beyond FLT_MAX
    // converted to float is undefined, and below FLT_MIN the pixel scale
    // (pixels / height) is no longer finite.
    return range() > 0 && h >= static_cast<double>(std::numeric_limits<float>::min()) &&
           h <= static_cast<double>(std::numeric_limits<float>::max());
}

float SeriesScale::drawnHeight() const {
    return drawable() ? static_cast<float>(seriesHeight()) : 2.0f;
}

float SeriesScale::drawnY(double value) const {
    if (!drawable())
        return 1.0f;
    // Inside [0, SeriesHeight] for any value of the scanned range; the clamp
    // only guards a value from outside it.
    const double y = yOf(value);
    return static_cast<float>(std::isnan(y) ? 0.0 : std::clamp(y, 0.0, seriesHeight()));
}

std::string shortTimeOf(double dayFraction, const TimeFormats& times) {
    const HourMinute t = hourMinuteOf(dayFraction);
    return times.shortTime(t.hour, t.minute);
}

std::string tableCellText(const TableRecord& r, int column, const HistoryTextForms& forms) {
    const NumberFormat& fmt = forms.numbers;
    std::string text;
    switch (column) {
    case 0:
        text = std::to_string(r.mode);
        break;
    case 1:
        text = formatGeneral(r.volts, fmt);
        break;
    case 2:
        text = formatGeneral(r.amps, fmt);
        break;
    case 3:
        text = formatGeneral(r.watts, fmt);
        break;
    case 4:
        text = formatGeneral(r.rpm, fmt);
        break;
    case 5:
        text = formatGeneral(r.windSpeed, fmt);
        break;
    case 6:
        text = shortTimeOf(r.time, *forms.times);
        break;
    default:
        return {};
    }
    text += ' ';
    return text;
}

TableRow tableRowTexts(const TableRecord& record, const HistoryTextForms& forms) {
    TableRow row;
    for (int c = 0; c < kTableColumns; ++c)
        row[static_cast<std::size_t>(c)] = tableCellText(record, c, forms);
    return row;
}

namespace {

const std::vector<double>& valuesOf(const HistoryBuffer& history, SeriesId id) {
    switch (id) {
    case SeriesId::Volts:
        return history.Volts;
    case SeriesId::Amps:
        return history.Amps;
    case SeriesId::Watts:
        return history.Watts;
    case SeriesId::Rpm:
        return history.Rpm;
    case SeriesId::WindSpeed:
        break;
    }
    return history.WindSpeed;
}

constexpr SeriesId kAllSeries[kSeriesCount] = {SeriesId::Volts, SeriesId::Amps, SeriesId::Watts,
                                               SeriesId::Rpm, SeriesId::WindSpeed};

std::array<SeriesScale, kSeriesCount> startingScales(bool refVoltsToZero) {
    return {{{0, refVoltsToZero ? 0.0 : 100.0}, {-500, 500}, {-2000, 2000}, {0, 1000}, {0, 1000}}};
}

TableRecord tableRecord(const HistoryBuffer& h, int k) {
    return {h.Mode[k], h.Volts[k], h.Amps[k], h.Watts[k], h.Rpm[k], h.WindSpeed[k], h.Time[k]};
}

PlotLabels labelTexts(const std::array<SeriesScale, kSeriesCount>& s, const HistoryBuffer& h,
                      PlotView view, const HistoryTextForms& forms) {
    const NumberFormat& fmt = forms.numbers;
    auto text = [&](double v, const char* unit) { return formatGeneral(v, fmt) + unit; };
    const std::string wsUnit = " " + forms.wsUnits;
    PlotLabels l;
    l.stime = shortTimeOf(h.Time[slotWithin(view.first)], *forms.times);
    l.ftime = shortTimeOf(h.Time[slotWithin(view.last)], *forms.times);
    l.VMax1 = text(s[0].max, " V");
    l.VMin1 = text(s[0].min, " V");
    l.AMax1 = text(s[1].max, " A");
    l.AMin1 = text(s[1].min, " A");
    l.WMax1 = text(s[2].max, " W");
    l.WMin1 = text(s[2].min, " W");
    l.RMax1 = text(s[3].max, " RPM");
    l.RMin1 = text(s[3].min, " RPM");
    l.SMax1 = text(s[4].max, wsUnit.c_str());
    l.SMin1 = text(s[4].min, wsUnit.c_str());
    return l;
}

} // namespace

PlotModel buildPlotModel(const HistoryBuffer& history, PlotView view,
                         const SeriesSwitches& switches, const HistoryTextForms& forms) {
    PlotModel model;
    if (std::isnan(view.first) || std::isnan(view.last))
        return model;
    const double limit = HistoryBuffer::kLastSlot;
    view.first = std::clamp(view.first, 0.0, limit);
    view.last = std::clamp(view.last, 0.0, limit);
    if (!(view.first < view.last))
        return model;
    model.drawn = true;

    // Positions first + i rather than a running sum, so a fractional view
    // does not drift and lose its last position.
    std::vector<int> slots;
    for (int i = 0;; ++i) {
        const double p = view.first + i;
        if (p > view.last)
            break;
        slots.push_back(slotWithin(p));
    }

    auto& scales = model.scales;
    scales = startingScales(switches.refVoltsToZero);
    model.rows.reserve(slots.size());
    for (int k : slots) {
        for (SeriesId id : kAllSeries) {
            SeriesScale& s = scales[static_cast<int>(id)];
            const double v = valuesOf(history, id)[k];
            if (v > s.max)
                s.max = v;
            if (v < s.min)
                s.min = v;
        }
        model.rows.push_back(tableRecord(history, k));
    }
    model.labels = labelTexts(scales, history, view, forms);

    PlotDrawing& d = model.drawing;
    d.blank = false;
    d.width = static_cast<float>(view.last - view.first);
    for (SeriesId id : {SeriesId::Amps, SeriesId::Watts}) {
        const SeriesScale& s = scales[static_cast<int>(id)];
        if (s.max > 0 && s.min < 0 && s.drawable())
            d.zeroLines.push_back({id, s.drawnHeight(), s.drawnY(0)});
    }
    // A pass from position i-1 to i carries the band of the record at i; the
    // first position opens no pass, so its mode never shows.
    for (std::size_t i = 1; i < slots.size(); ++i) {
        if (history.Mode[slots[i]] != 1)
            continue;
        const auto x0 = static_cast<float>(i - 1);
        const auto x1 = static_cast<float>(i);
        if (!d.bands.empty() && d.bands.back().x1 == x0)
            d.bands.back().x1 = x1;
        else
            d.bands.push_back({x0, x1});
    }
    for (SeriesId id : kAllSeries) {
        if (!switches.shows(id))
            continue;
        const SeriesScale& s = scales[static_cast<int>(id)];
        SeriesTrace trace{id, s.drawnHeight(), {}};
        trace.points.reserve(slots.size());
        const std::vector<double>& values = valuesOf(history, id);
        for (std::size_t i = 0; i < slots.size(); ++i)
            trace.points.push_back({static_cast<float>(i), s.drawnY(values[slots[i]])});
        d.traces.push_back(std::move(trace));
    }
    return model;
}

} // namespace korvane
