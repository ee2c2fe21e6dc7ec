#pragma once
// What the main window tells the parts that follow the live data (the
// history store, alarms, publishing), so none of them is wired into the
// window by hand.  Every call comes on the UI thread, after the window's own
// steps for that event, and must return quickly.

#include "monitor/reading.h"
#include "platform/clock.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvane {

// When an event happened: local time, the same moment in UTC, and the local
// day key ("2026_12_8") that names that day's log file.
struct LiveTime {
    LocalDateTime local;
    std::int64_t utcMs = 0;
    std::string day;
};

// A logging tick's record, as written to (or held for) the day's log.
struct LoggedRecord {
    IntervalPeaks peaks;
    std::int16_t mode = 0;
    int hour = 0;
    int minute = 0;
    std::string day;
};

class LiveSink {
public:
    virtual ~LiveSink() = default;

    // The station has started: settings read, the port tried, and the day's
    // energy resumed at `totalWh` (what the store already counted today).
    virtual void started(double totalWh, const LiveTime& when) {
        (void)totalWh;
        (void)when;
    }
    // A packet was decoded; `reading` is the window's live reading after it.
    virtual void packetDecoded(const Reading& reading, const LiveTime& when) = 0;
    // The energy timer added `addedWh` (after any midnight restart) and the
    // day's total is now `totalWh`.
    virtual void energyAdded(double addedWh, double totalWh, const LiveTime& when) = 0;
    // A logging tick made this record.
    virtual void recordLogged(const LoggedRecord& record, const LiveTime& when) = 0;
    // The number of log records waiting because their file cannot be
    // written changed (0: all written).
    virtual void logBacklogChanged(std::size_t waiting, const LiveTime& when) = 0;
    // The window is closing: finish what is unfinished.
    virtual void exiting(const LiveTime& when) = 0;
    // One short line for the foot of the main window saying what is wrong and
    // what is being done about it; empty while all is well.
    virtual std::string statusText() const = 0;
    // A line for the red banner at the top of the main window (active
    // alarms); empty for none.  Asked after every event, so keep it cheap.
    virtual std::string bannerText() const { return {}; }
};

} // namespace korvane
