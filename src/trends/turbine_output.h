#pragma once
// The turbine's own output, estimated minute by minute from what the board
// measures: the battery's net current, so the net watts are the turbine's
// output less what the load and everything else draw.
//
//     output = watts_mean + volts_mean x (load_amps x load_on_s / 60 + idle_amps)
//
// The load's current is taken as constant while it is on; with both
// currents 0 the output is the net watts.

#include "power_curve.h"
#include "turbine_config.h"

#include <span>
#include <vector>

namespace korvane {

// One stored minute with packets, as much of it as the estimate needs.
// Single precision: the store keeps means to 0.001, and a year of minutes
// stays near 10 MB.
struct TurbineMinute {
    int date = 0;      // local yyyymmdd
    float wind = 0;    // mean, the wind unit
    float watts = 0;   // mean net watts
    float volts = 0;   // mean
    float loadOnS = 0; // seconds of the minute with the load on, 0..60
};

// Which minutes a curve is drawn from.
enum class MinuteChoice {
    All,
    LoadOff, // no load-on time at all
    LoadOn,  // the load on for at least kLoadOnSeconds of the minute
};
inline constexpr float kLoadOnSeconds =
    54; // 90 % of the minute: switched or gappy minutes stay out

bool isChosen(const TurbineMinute& m, MinuteChoice choice);

// The estimate above, in W.
double turbineOutput(const TurbineMinute& m, double loadAmps, double idleAmps);

// (mean wind, estimated output) of each chosen minute, in order.
std::vector<WindPowerPoint> outputPoints(std::span<const TurbineMinute> minutes,
                                         const TurbineSettings& turbine, MinuteChoice choice);

} // namespace korvane
