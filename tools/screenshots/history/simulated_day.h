#pragma once
// A day's log as Korvane would have written it while the board simulator
// ran: the peaks of each logging interval, the load mode and the time.

#include "platform/numbers.h"

#include <string>

namespace korvane {

struct SimulatedDay {
    int firstSecond = 8 * 3600; // time of day of the first record, in seconds
    int intervalSeconds = 60;   // logging interval
    int records = 480;          // number of records
    unsigned seed = 7;          // board model seed
};

// The log text, CR LF after every record.  Records never run past 23:59.
std::string simulatedDayLog(const SimulatedDay& day, const NumberFormat& fmt);

} // namespace korvane
