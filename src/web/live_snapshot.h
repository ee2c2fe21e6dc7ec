#pragma once
// What the dashboard shows of the live state, as the station last saw it,
// and the board through which the UI thread hands it to the server thread.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace korvane {

// One immutable picture of the live state.  Strings are UTF-8.
struct LiveSnapshot {
    std::uint64_t seq = 0;            // set by SnapshotBoard::publish: 1, 2, 3, ...
    bool hasData = false;             // a packet has been decoded since the start
    double volts = 0;                 // V
    double amps = 0;                  // A
    double watts = 0;                 // W
    double rpm = 0;                   // revolutions a minute
    double wind = 0;                  // in `windUnits`
    int mode = 0;                     // the load is on when 1
    double wattHoursToday = 0;        // Wh since local midnight (the WattHours total)
    std::string dayKey;               // local day "2026_12_9"
    std::int64_t lastPacketUtcMs = 0; // 0: no packet yet
    std::int64_t takenUtcMs = 0;      // when the snapshot was made
    std::string portState;            // the port line of the main window
    bool portOpen = false;
    std::vector<std::string> alarms; // active alarm banner lines, kind order
    std::string windUnits;           // "km/h"
    bool showRpm = true;
    bool showWind = true;
    std::optional<double> outputIndex7d; // turbine output over 7 days, percent of normal
    std::string version;                 // "0.1.0"
};

// Hands snapshots from the UI thread to any number of readers.  publish()
// takes one mutex for a pointer swap and a notify; readers never hold the
// lock while they format or send.
class SnapshotBoard {
public:
    SnapshotBoard();

    // Stores the snapshot with the next sequence number (its own `seq` is
    // ignored) and wakes the waiting readers.  Returns that number.
    std::uint64_t publish(LiveSnapshot snapshot);

    // The latest snapshot; before the first publish an empty one (seq 0).
    std::shared_ptr<const LiveSnapshot> current() const;

    // Waits until a snapshot newer than `afterSeq` is there, `timeout`
    // passes or `stop` is requested; the latest snapshot either way.
    std::shared_ptr<const LiveSnapshot> waitNewer(std::uint64_t afterSeq,
                                                  std::chrono::milliseconds timeout,
                                                  std::stop_token stop) const;

    // Sleeps for `duration` unless `stop` is requested first; false then.
    bool sleepFor(std::chrono::milliseconds duration, std::stop_token stop) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable_any changed_;
    std::shared_ptr<const LiveSnapshot> latest_;
    std::uint64_t seq_ = 0;
};

} // namespace korvane
