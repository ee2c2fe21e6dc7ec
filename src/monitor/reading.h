#pragma once
// Calibrated values of the system and the interval peaks kept for logging.

#include <cstdint>

namespace korvane {

struct Reading {
    double volts = 0;     // V, 2 decimals
    double amps = 0;      // A, 2 decimals
    double watts = 0;     // W, 2 decimals
    double rpm = 0;       // revolutions per minute, 1 decimal
    double windSpeed = 0; // in the WSUnits unit, 1 decimal
    // 1 = load on; 0 = packet had no M field; -1 = M was not a number.
    std::int16_t mode = 0;
    bool operator==(const Reading&) const = default;
};

// The highest values since the last log record.  They start at 0 and only
// rise, so a peak is never negative.
struct IntervalPeaks {
    double volts = 0;
    double amps = 0;
    double watts = 0;
    double rpm = 0;
    double windSpeed = 0;
    bool operator==(const IntervalPeaks&) const = default;
};

// Raises each peak that the reading strictly exceeds.
void raisePeaks(IntervalPeaks& peaks, const Reading& reading);

} // namespace korvane
