#include "cursor_readout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvane {

namespace {

int withinArrays(double slotNumber) {
    if (std::isnan(slotNumber))
        return 0;
    return static_cast<int>(
        std::clamp(slotNumber, 0.0, static_cast<double>(HistoryBuffer::kLastSlot)));
}

// The single-precision value of a double; beyond the float range that is
// the infinity of its sign rather than an undefined conversion.
float single(double v) {
    const double limit = std::numeric_limits<float>::max();
    const float inf = std::numeric_limits<float>::infinity();
    if (v > limit)
        return inf;
    if (v < -limit)
        return -inf;
    return static_cast<float>(v);
}

std::string valueText(double v, const char* unit, const NumberFormat& fmt) {
    return formatGeneral(roundHalfEven(v, 2), fmt) + unit;
}

} // namespace

ReadoutSlots readoutSlots(float x, double firstIndex) {
    const double whole = std::floor(static_cast<double>(x));
    return {withinArrays(std::floor(static_cast<double>(x) + firstIndex)),
            slotWithin(whole + firstIndex)};
}

std::optional<Readout> readoutAt(const HistoryBuffer& history, float x, double firstIndex,
                                 int recordCount, const HistoryTextForms& forms) {
    if (recordCount <= 1 || std::isnan(x) || std::isnan(firstIndex))
        return std::nullopt;
    const ReadoutSlots at = readoutSlots(x, firstIndex);
    const int k = at.values;
    const NumberFormat& fmt = forms.numbers;
    return Readout{shortTimeOf(history.Time[at.time], *forms.times),
                   valueText(history.Volts[k], " Volts", fmt),
                   valueText(history.Amps[k], " Amps", fmt),
                   valueText(history.Watts[k], " Watts", fmt),
                   valueText(history.Rpm[k], " RPM", fmt),
                   formatGeneral(roundHalfEven(history.WindSpeed[k], 2), fmt) + " " +
                       forms.wsUnits};
}

std::optional<double> zoomLastIndex(double firstIndex, float releaseX, int recordCount) {
    if (recordCount <= 1 || !(single(firstIndex) < releaseX))
        return std::nullopt;
    const double last = std::min(static_cast<double>(releaseX), static_cast<double>(recordCount));
    if (!(firstIndex < last))
        return std::nullopt;
    return last;
}

} // namespace korvane
