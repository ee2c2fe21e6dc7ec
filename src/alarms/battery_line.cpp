#include "battery_line.h"

#include <cmath>

namespace korvane {

namespace {

double finiteOr0(double v) {
    return std::isfinite(v) ? v : 0.0;
}

} // namespace

BatteryLine batteryLine(double volts, double amps, const BatteryLevels& levels,
                        const NumberFormat& fmt) {
    volts = finiteOr0(volts);
    amps = finiteOr0(amps);
    const bool charging = amps > levels.idleBand;
    const bool discharging = amps < -levels.idleBand;

    BatteryLine line;
    if (charging)
        line.text = "Charging: " + formatGeneral(roundHalfEven(amps, 1), fmt) + " A in";
    else if (discharging)
        line.text = "Discharging: " + formatGeneral(roundHalfEven(-amps, 1), fmt) + " A out";
    else
        line.text = "Idle";

    // The flow already says "Charging", so the line says "nearly full" alone.
    std::string words;
    if (charging && volts > levels.full) {
        line.state = "charging, nearly full";
        words = "nearly full";
        line.tone = BatteryTone::NearlyFull;
    } else if (volts > levels.good) {
        line.state = words = "good";
        line.tone = BatteryTone::Good;
    } else if (volts >= levels.low) {
        line.state = words = "part charged";
        line.tone = BatteryTone::Fair;
    } else {
        line.state = words = "low";
        line.tone = BatteryTone::Low;
    }
    line.text += ", battery " + words;
    return line;
}

} // namespace korvane
