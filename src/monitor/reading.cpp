#include "reading.h"

namespace korvane {

void raisePeaks(IntervalPeaks& peaks, const Reading& reading) {
    if (reading.volts > peaks.volts)
        peaks.volts = reading.volts;
    if (reading.amps > peaks.amps)
        peaks.amps = reading.amps;
    if (reading.rpm > peaks.rpm)
        peaks.rpm = reading.rpm;
    if (reading.windSpeed > peaks.windSpeed)
        peaks.windSpeed = reading.windSpeed;
    if (reading.watts > peaks.watts)
        peaks.watts = reading.watts;
}

} // namespace korvane
