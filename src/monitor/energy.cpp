#include "energy.h"

namespace korvane {

double energyTick(double wattHours, double watts, const LocalDateTime& now,
                  const std::optional<LocalDateTime>& previousTick) {
    const float secondsToday = static_cast<float>(now.secondsSinceMidnight());
    if (secondsToday < 10.0f || (previousTick && !previousTick->sameDate(now)))
        wattHours = 0;
    return wattHours + watts / 720;
}

} // namespace korvane
