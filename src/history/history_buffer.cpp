#include "history_buffer.h"

#include <algorithm>
#include <cmath>

namespace korvane {

HistoryBuffer::HistoryBuffer()
    : Volts(kSlots), Amps(kSlots), Watts(kSlots), Rpm(kSlots), Time(kSlots), Mode(kSlots),
      WindSpeed(kSlots) {}

long slot(double position) {
    // Decided here rather than by std::nearbyint so the result never depends
    // on the floating-point environment someone else may have changed.
    const double whole = std::floor(position);
    const double fraction = position - whole;
    double nearest = whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        nearest = whole + 1;
    if (!(nearest > -1e9))
        return -1'000'000'000L;
    if (nearest > 1e9)
        return 1'000'000'000L;
    return static_cast<long>(nearest);
}

int slotWithin(double position) {
    if (std::isnan(position))
        return 0;
    return static_cast<int>(std::clamp(slot(position), 0L, long{HistoryBuffer::kLastSlot}));
}

HourMinute hourMinuteOf(double dayFraction) {
    if (std::isnan(dayFraction))
        return {};
    const double clamped = std::clamp(dayFraction, 0.0, 1.0);
    const long minutes = std::min(std::lround(clamped * 1440.0), 1439L);
    return {static_cast<int>(minutes / 60), static_cast<int>(minutes % 60)};
}

} // namespace korvane
