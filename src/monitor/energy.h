#pragma once
// The watt-hour total, advanced every 5 seconds by the energy timer.

#include "platform/clock.h"

#include <optional>

namespace korvane {

inline constexpr int kEnergyTickMs = 5000;

// One energy tick: the total restarts when the tick falls in the first 10
// seconds after midnight (time of day taken in single precision), and also on
// the first tick whose date differs from the previous tick's, so a machine
// that slept or stalled across midnight does not carry yesterday's energy into
// today.  Then watts / 720 is added (720 ticks of 5 s make an hour).
double energyTick(double wattHours, double watts, const LocalDateTime& now,
                  const std::optional<LocalDateTime>& previousTick);

} // namespace korvane
