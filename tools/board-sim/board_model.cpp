#include "board_model.h"

#include <algorithm>
#include <cmath>

namespace korvane::sim {

BoardModel::BoardModel(std::uint32_t seed) : rng_(seed) {}

RawSample BoardModel::step(double dt) {
    std::normal_distribution<double> noise(0.0, 1.0);
    t_ += dt;
    // Wind: a slow swell around 14 km/h plus a mean-reverting gust term.
    gust_ += (-gust_ * 0.15 + noise(rng_) * 1.6) * dt;
    const double swell = 6.0 * std::sin(t_ / 300.0) + 3.0 * std::sin(t_ / 47.0);
    wind_ = std::max(0.0, 14.0 + swell + gust_);

    // Alternator: no turning below 8 km/h, then roughly linear, with inertia.
    const double targetRpm = wind_ < 8.0 ? 0.0 : (wind_ - 8.0) * 45.0;
    rpm_ += (targetRpm - rpm_) * std::min(1.0, dt * 0.8);
    rpm_ = std::max(0.0, rpm_);

    // Charging starts once the alternator voltage beats the battery's; what
    // the turbine makes is power, so a fuller battery takes fewer amps of it.
    const double chargeWatts = rpm_ > 150 ? (rpm_ - 150) * 0.025 * 13.0 : 0.0;
    const double charge = chargeWatts / volts_;
    if (volts_ > 14.3)
        loadOn_ = true;
    else if (volts_ < 12.3)
        loadOn_ = false;
    // Everything else on the battery draws 0.4 A all the time; the switched
    // load draws 9 A more while it is on.
    const double load = (loadOn_ ? 9.0 : 0.0) + 0.4;
    amps_ = charge - load;
    volts_ += amps_ * dt * 0.004;
    volts_ = std::clamp(volts_, 11.5, 14.6);
    const double shownVolts = volts_ + amps_ * 0.01; // internal resistance

    RawSample s;
    s.v = std::lround(shownVolts * 40);
    s.i = std::lround(100 + amps_ * 20);
    s.r = std::lround(rpm_ * 12 / 60);
    s.s = std::lround(wind_ * 2);
    s.m = loadOn_ ? 1 : 0;
    return s;
}

std::string formatPacket(const RawSample& s) {
    return "[<V>" + std::to_string(s.v) + "</V><I>" + std::to_string(s.i) + "</I><R>" +
           std::to_string(s.r) + "</R><M>" + std::to_string(s.m) + "</M><S>" + std::to_string(s.s) +
           "</S>]";
}

} // namespace korvane::sim
