#pragma once
// One minute of live data, summed up in memory from every decoded packet and
// every energy addition, and closed when an event of another minute arrives.

#include "monitor/reading.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace korvane {

struct Spread {
    double min = 0;
    double mean = 0;
    double max = 0;
    bool operator==(const Spread&) const = default;
};

// A finished minute.  Units are those of Reading: V, A, W, rpm, the wind
// unit.  The packet statistics mean nothing (and are stored as NULL) when
// `packets` is 0: such a minute only carries energy.
struct MinuteSummary {
    std::int64_t ts = 0;      // start of the minute, UTC seconds, a multiple of 60
    int date = 0;             // local date yyyymmdd of the minute's first event
    std::int64_t packets = 0; // decoded packets
    Spread volts;
    Spread amps;
    Spread watts;
    double rpmMean = 0;
    double rpmMax = 0;
    double windMean = 0;
    double windMax = 0;
    std::int64_t loadOnMs = 0; // ms with the load on (mode 1)
    double wh = 0;             // watt-hours the energy timer added in the minute
    bool operator==(const MinuteSummary&) const = default;
};

// The same minute seen twice (the clock was set back): counts, load-on time
// and energy add, extremes combine, means are weighted by packets.  Keeps
// `a`'s ts and date.
MinuteSummary mergeMinutes(const MinuteSummary& a, const MinuteSummary& b);

// Sums up the minute of the latest event.  An event of any other minute
// (later, or earlier after the clock was set back) ends the current minute
// and is returned from that call; the new event starts the next one.
//
// Load-on time: a packet's mode holds from its time until the next packet of
// the same minute, the end of its minute, or 10 s, whichever comes first, so
// a silent board adds no load-on time.  A packet whose successor is older
// (clock set back) adds none.
//
// `day` is the caller's local day key ("2026_12_8") at the event; a minute
// takes the day of its first event.  A text that is not a day key falls back
// to the minute's UTC date, so nothing is lost.
class MinuteAggregator {
public:
    static constexpr std::int64_t kMaxModeHoldMs = 10000;

    std::optional<MinuteSummary> packet(const Reading& reading, std::int64_t utcMs,
                                        std::string_view day);
    // `whAdded` counts in the minute of `utcMs`; non-finite values are ignored.
    std::optional<MinuteSummary> energy(double whAdded, std::int64_t utcMs, std::string_view day);
    // Ends the unfinished minute (exit).  The last packet's mode holds until
    // `utcMs`, within the rules above.  Nothing when no minute is open.
    std::optional<MinuteSummary> close(std::int64_t utcMs);

    bool open() const { return open_; }
    // The open minute's date and energy so far (0 when none is open).
    int date() const { return open_ ? date_ : 0; }
    double wh() const { return open_ ? wh_ : 0.0; }

private:
    std::optional<MinuteSummary> moveTo(std::int64_t minute, std::int64_t utcMs,
                                        std::string_view day);
    MinuteSummary finish(std::int64_t endMs);
    void holdModeUntil(std::int64_t endMs);

    bool open_ = false;
    std::int64_t minute_ = 0; // UTC minutes since the epoch
    int date_ = 0;
    std::int64_t packets_ = 0;
    double vMin_ = 0, vMax_ = 0, vSum_ = 0;
    double aMin_ = 0, aMax_ = 0, aSum_ = 0;
    double wMin_ = 0, wMax_ = 0, wSum_ = 0;
    double rpmSum_ = 0, rpmMax_ = 0, windSum_ = 0, windMax_ = 0;
    std::int64_t loadOnMs_ = 0;
    double wh_ = 0;
    std::int64_t lastPacketMs_ = 0;
    bool lastLoadOn_ = false;
};

} // namespace korvane
