#pragma once
// The battery in plain words for the main window: which way the current
// flows and how charged the battery looks from its volts.

#include "platform/numbers.h"

#include <string>

namespace korvane {

// The volts that divide the states, and the current taken as idle.
// Defaults for a 12 V lead-acid bank.
struct BatteryLevels {
    double low = 11.8;     // V; below: "low"
    double good = 12.4;    // V; above: "good"; from low to good: "part charged"
    double full = 13.8;    // V; above while charging: "charging, nearly full"
    double idleBand = 0.1; // A; a current within +-idleBand is "Idle"
    bool operator==(const BatteryLevels&) const = default;
};

// How the window colours the line.
enum class BatteryTone { Low, Fair, Good, NearlyFull };

struct BatteryLine {
    // "<flow>, battery <state>": "Charging: 4.1 A in, battery good",
    // "Discharging: 0.4 A out, battery part charged", "Idle, battery low",
    // "Charging: 9.5 A in, battery nearly full".
    std::string text;
    // The state alone: "low", "part charged", "good" or
    // "charging, nearly full".
    std::string state;
    BatteryTone tone = BatteryTone::Good;
    bool operator==(const BatteryLine&) const = default;
};

// The flow is "Charging: <amps> A in" above +idleBand, "Discharging:
// <amps> A out" below -idleBand (the amps without their sign), else "Idle";
// amps to 0.1 A in the general number form with the locale's separator.
// The state: volts below `low` low, up to and including `good` part charged,
// above it good, and nearly full above `full` while charging.  A volts or
// amps value that is not finite counts as 0.
BatteryLine batteryLine(double volts, double amps, const BatteryLevels& levels,
                        const NumberFormat& fmt);

} // namespace korvane
