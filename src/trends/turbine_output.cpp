#include "turbine_output.h"

#include <algorithm>
#include <cmath>

namespace korvane {

bool isChosen(const TurbineMinute& m, MinuteChoice choice) {
    switch (choice) {
    case MinuteChoice::All:
        return true;
    case MinuteChoice::LoadOff:
        return m.loadOnS <= 0;
    case MinuteChoice::LoadOn:
        return m.loadOnS >= kLoadOnSeconds;
    }
    return true;
}

double turbineOutput(const TurbineMinute& m, double loadAmps, double idleAmps) {
    const double loadOn = std::clamp(static_cast<double>(m.loadOnS), 0.0, 60.0) / 60;
    return static_cast<double>(m.watts) +
           static_cast<double>(m.volts) * (loadAmps * loadOn + idleAmps);
}

std::vector<WindPowerPoint> outputPoints(std::span<const TurbineMinute> minutes,
                                         const TurbineSettings& turbine, MinuteChoice choice) {
    std::vector<WindPowerPoint> out;
    out.reserve(minutes.size());
    for (const TurbineMinute& m : minutes) {
        if (!isChosen(m, choice))
            continue;
        const double watts = turbineOutput(m, turbine.loadAmps, turbine.idleAmps);
        if (std::isfinite(watts) && std::isfinite(m.wind))
            out.push_back({static_cast<double>(m.wind), watts});
    }
    return out;
}

} // namespace korvane
