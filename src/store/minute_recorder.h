#pragma once
// The store as the main window sees it: feed it every decoded packet and
// every energy addition; it sums each minute up and commits it when the
// minute ends.  When korvane.db cannot be opened or written it keeps the
// minutes in memory and retries quietly, driven by the event times it is
// given; it never throws and never waits longer than the store's 50 ms busy
// timeout per attempt.  What still waits at the exit goes to a pending file
// beside the store (pending_file.h), written into the store at the next
// start that can.  Single-threaded: call it from one thread only.
//
// Only the first open (in the constructor, at start-up) reads the whole file
// to check it; reopens after a failure are quick.
//
// Minutes dated before 2000-01-01 or from 2100-01-01 on (UTC) are refused
// and named once in notice(): a clock that reads such a date was not set
// (a PC without a clock battery boots in 1970 or 2000), and its minutes
// would sit among the real ones for good.  Nearer bounds would need a
// second clock to trust: a stale clock put right jumps forward by months,
// and the minutes after it are real.

#include "history_store.h"
#include "minute_aggregator.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace korvane {

class MinuteRecorder {
public:
    // Minutes kept while the store is out of reach: 7 days.  Past that the
    // oldest are dropped (and problem() says how many).
    static constexpr std::size_t kMaxHeldMinutes = 7 * 24 * 60;
    // Held minutes written per call once the store works again, so that
    // catching up never blocks a call for long.
    static constexpr std::size_t kMaxMinutesPerCommit = 1440;
    // Retry delays after the first failure and after the later ones.
    static constexpr std::int64_t kFirstRetryMs = 5000;
    static constexpr std::int64_t kLaterRetryMs = 30000;
    // Minutes stored: kEarliestTs <= ts < kLatestTs (UTC seconds).
    static constexpr std::int64_t kEarliestTs = 946684800; // 2000-01-01 00:00 UTC
    static constexpr std::int64_t kLatestTs = 4102444800;  // 2100-01-01 00:00 UTC

    // Tries to open (or create) `dbPath` at once.  `day` is today's day key,
    // recorded in a new file as its creation date.
    MinuteRecorder(std::string dbPath, std::int64_t utcMs, const std::string& day);
    // Commits the unfinished minute, as close() at the last event's time.
    ~MinuteRecorder();
    MinuteRecorder(const MinuteRecorder&) = delete;
    MinuteRecorder& operator=(const MinuteRecorder&) = delete;

    // A decoded packet at `utcMs` (UTC ms); `day` is the local day key at
    // that time.  Time may go backwards: a minute that comes again is merged
    // into its stored row.
    void packet(const Reading& reading, std::int64_t utcMs, const std::string& day);
    // The energy timer added `whAdded` Wh at `utcMs`.
    void energy(double whAdded, std::int64_t utcMs, const std::string& day);
    // An alarm raised or cleared at `utcMs`: written at once, or kept in
    // memory (at most kMaxHeldEvents, oldest dropped) with the minutes while
    // the store is out of reach.
    void alarmEvent(const AlarmEventRow& event, std::int64_t utcMs);
    static constexpr std::size_t kMaxHeldEvents = 10000;
    // Retries a failed open or write once its delay has passed.  Call it
    // from a timer (every few seconds is plenty) so held minutes are written
    // even while no packets arrive.
    void poll(std::int64_t utcMs);
    // Ends and commits the unfinished minute and every held minute and
    // event it can (exit), trying the store once more whatever the retry
    // delay.  What it still cannot write goes to a pending file beside the
    // store; notice() then names it (or problem() says it could not be kept).
    void close(std::int64_t utcMs);

    // The watt-hours of a day key: stored minutes plus those still in
    // memory.  Only the minutes in memory when the store is out of reach.
    double energyOfDay(const std::string& day);

    // One line for the status bar: what is wrong with which file and that it
    // is being retried; empty when all is well.
    std::string problem() const;
    // A one-time event worth showing once all is well again, such as a
    // damaged store set aside, minutes refused for their date or kept in a
    // pending file at the exit; empty when none.
    const std::string& notice() const { return notice_; }

    std::size_t heldMinutes() const { return held_.size(); }
    std::size_t droppedMinutes() const { return dropped_; }
    // Minutes refused for a date outside kEarliestTs..kLatestTs.
    std::size_t refusedMinutes() const { return refused_; }
    // The open store for queries (Trends window), or null while it is out
    // of reach.  Valid until the next call on this recorder.
    HistoryStore* store() { return store_.get(); }

private:
    void ended(const MinuteSummary& m, std::int64_t utcMs);
    bool due(std::int64_t utcMs) const;
    void service(std::int64_t utcMs);
    bool tryOpen(std::int64_t utcMs);
    bool flushBatch(std::int64_t utcMs);
    void flushEvents(std::int64_t utcMs);
    bool pending() const { return !store_ || !held_.empty() || !heldEvents_.empty(); }
    void fail(const StoreResult& result, const char* action, std::int64_t utcMs);
    bool setAside(std::int64_t utcMs);
    void followMove();
    void importPending();
    void keepPending(std::int64_t utcMs);

    std::string path_;
    int latestDate_ = 0;
    MinuteAggregator aggregator_;
    std::unique_ptr<HistoryStore> store_;
    std::deque<MinuteSummary> held_;
    std::deque<AlarmEventRow> heldEvents_;
    std::vector<MinuteSummary> batch_;
    std::size_t dropped_ = 0;
    std::int64_t nextTryMs_ = 0;
    int failures_ = 0;
    StoreResult fault_;
    const char* faultAction_ = "";
    std::string notice_;
    std::string notKept_; // why the exit's pending file could not be written
    std::int64_t lastEventMs_ = 0;
    bool checked_ = false; // the one full check of this run is done
    std::size_t refused_ = 0;
};

} // namespace korvane
