#pragma once
// A small wind-turbine charging system that produces raw board readings:
// gusty wind, an alternator that turns above cut-in, a battery drifting
// between about 12 and 14.4 V with the charge current, and a load switched on
// at high voltage and off at low voltage.

#include <cstdint>
#include <random>
#include <string>

namespace korvane::sim {

// Raw numbers as the board sends them.  They match the default calibration:
// V = volts x 40, I = 100 + amps x 20, R = rpm x 12 / 60, S = wind x 2.
struct RawSample {
    long v = 0;
    long i = 0;
    long r = 0;
    long s = 0;
    int m = 0;
};

class BoardModel {
public:
    explicit BoardModel(std::uint32_t seed = 1);

    // Advances the model by dt seconds and returns the raw sample.
    RawSample step(double dtSeconds);

    double volts() const { return volts_; }
    double amps() const { return amps_; }
    double rpm() const { return rpm_; }
    double wind() const { return wind_; }
    bool loadOn() const { return loadOn_; }

private:
    std::mt19937 rng_;
    double t_ = 0;
    double gust_ = 0;
    double wind_ = 12;
    double rpm_ = 0;
    double volts_ = 12.8;
    double amps_ = 0;
    bool loadOn_ = false;
};

// "[<V>512</V><I>130</I><R>42</R><M>1</M><S>17</S>]"
std::string formatPacket(const RawSample& s);

} // namespace korvane::sim
