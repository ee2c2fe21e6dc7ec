#pragma once
// A day drawn from the history store's minutes instead of its daily log
// (logging was off that day, or the log was moved): each minute stands for
// one record, with the minute's highest values, as a log record holds the
// highest values of its interval.

#include "history_query.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace korvane {

// One stored minute with packets, as the history window reads it.
struct StoredMinute {
    int minuteOfDay = 0; // local 0..1439 of the minute's start
    double volts = 0;    // the minute's highest, V
    double amps = 0;     // A
    double watts = 0;    // W
    double rpm = 0;
    double wind = 0;       // the wind unit
    std::int16_t mode = 0; // 1 when the load was on for half the minute or more
};

// Stores, in order from slot 1, every minute whose start lies strictly
// between the range's start and finish, as loadRecords does for a log's
// records; slots above the new count are left as they were.
LoadResult loadStoredMinutes(std::span<const StoredMinute> minutes, const QueryRange& range,
                             HistoryBuffer& buffer);

// Whether a daily log's text holds at least one record with a valid time,
// at any time of the day: a log that does is drawn as it is, never from the
// store.
bool logHoldsRecords(std::string_view fileText);

} // namespace korvane
