#include "simulated_day.h"

#include "board_model.h"
#include "monitor/reading.h"
#include "recording/log_record.h"

#include <algorithm>

namespace korvane {

std::string simulatedDayLog(const SimulatedDay& day, const NumberFormat& fmt) {
    sim::BoardModel board(day.seed);
    // Let the battery and the wind settle before the first interval.
    for (int s = 0; s < 600; ++s)
        board.step(1.0);
    std::string text;
    text.reserve(static_cast<std::size_t>(day.records) * 80);
    int second = day.firstSecond;
    for (int r = 0; r < day.records && second < 24 * 3600; ++r) {
        IntervalPeaks peaks;
        sim::RawSample raw;
        for (int s = 0; s < day.intervalSeconds; ++s) {
            raw = board.step(1.0);
            // The default calibration, as the decoder applies it.
            Reading reading;
            reading.volts = roundHalfEven(static_cast<double>(raw.v) / 40.0, 2);
            reading.amps = roundHalfEven(static_cast<double>(raw.i - 100) / 20.0, 2);
            reading.watts = roundHalfEven(reading.volts * reading.amps, 2);
            reading.rpm = roundHalfEven(static_cast<double>(raw.r) * 60.0 / 12.0, 1);
            reading.windSpeed = roundHalfEven(static_cast<double>(raw.s) / 2.0, 1);
            raisePeaks(peaks, reading);
        }
        const int minuteOfDay = std::min(second / 60, 24 * 60 - 1);
        text += formatLogRecord(peaks, static_cast<std::int16_t>(raw.m), minuteOfDay / 60,
                                minuteOfDay % 60, fmt);
        second += day.intervalSeconds;
    }
    return text;
}

} // namespace korvane
