#pragma once
// The records of the last history query, one slot per record position.

#include <cstdint>
#include <vector>

namespace korvane {

// Slots 0 to 10000 of seven parallel arrays.  Record k of a query lives in
// slot k (1 <= k <= RecordCount); slot 0 is never written and reads as zeros;
// slots above the count keep what an earlier, longer query left there.
struct HistoryBuffer {
    static constexpr int kLastSlot = 10000;
    static constexpr int kSlots = kLastSlot + 1;
    // A query stops before it would store record 10,000.
    static constexpr int kMaxRecords = 9999;

    HistoryBuffer();

    std::vector<double> Volts;
    std::vector<double> Amps;
    std::vector<double> Watts;
    std::vector<double> Rpm;
    std::vector<double> Time; // time of day as a fraction of a day, 0.5 = noon
    std::vector<std::int16_t> Mode;
    std::vector<double> WindSpeed;
};

// The slot a record position addresses: the nearest whole number, halves to
// the even neighbour (37.5 -> 38, 38.5 -> 38, 39.5 -> 40).  Not limited.
long slot(double position);

// slot() limited to 0..kLastSlot, so no position can read outside the arrays.
int slotWithin(double position);

// Hours and minutes of a `Time` value, rounded to the nearest minute and
// limited to 00:00..23:59.
struct HourMinute {
    int hour = 0;
    int minute = 0;
};
HourMinute hourMinuteOf(double dayFraction);

} // namespace korvane
