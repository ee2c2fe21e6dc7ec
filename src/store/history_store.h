#pragma once
// korvane.db: one row per minute, daily totals, imported log records.  Opens
// (creating and migrating as needed), commits minutes and answers queries.
// Nothing here throws or waits more than the 50 ms busy timeout; failures
// come back as a StoreResult (or an empty optional for a query).
//
// Dates are local yyyymmdd numbers (see day_date.h), times UTC seconds.
// Values read back carry the stored resolution: volts, amps and watts
// extremes 0.01, rpm and wind maxima 0.1, means 0.001, load-on time 1 ms;
// watt-hours are kept as doubles.

#include "minute_aggregator.h"
#include "sqlite_handle.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvane {

enum class StoreStatus {
    Ok,
    Busy,    // another program holds the file's write lock: try again later
    Corrupt, // SQLITE_CORRUPT or SQLITE_NOTADB, or quick_check failed at open
    TooNew,  // written by a newer program (higher user_version); left untouched
    Failed,  // cannot open or write: missing folder, a folder in its place, disk full, I/O
};

struct StoreResult {
    StoreStatus status = StoreStatus::Ok;
    int code = 0;     // SQLite's (extended) result code, 0 when none applies
    std::string text; // what went wrong, e.g. "database is locked"; empty when Ok
    bool ok() const { return status == StoreStatus::Ok; }
};

// One local date.  Dates known only from imported log records have no
// minutes: `minutes` is 0, packets, wh, first/last ts and load-on time are
// absent (unknown, not zero) and voltsMin is the lowest non-zero interval
// peak of the records.
struct DayTotal {
    int date = 0;                        // yyyymmdd
    std::optional<std::int64_t> firstTs; // start of the first and last minute, UTC s
    std::optional<std::int64_t> lastTs;
    std::int64_t minutes = 0;
    std::optional<std::int64_t> packets;
    std::optional<double> wh;
    std::optional<double> voltsMin, voltsMax, wattsMax, windMax;
    std::optional<double> loadOnMinutes;
};

// Minutes with packets whose mean wind lies in [windFrom, windTo).
struct WindBin {
    double windFrom = 0;
    double windTo = 0;
    std::int64_t minutes = 0;
    double meanWatts = 0; // mean of the minutes' mean watts
};

struct WindPowerPoint {
    double wind = 0;  // the minute's mean wind
    double watts = 0; // the minute's mean watts
};

// One interval record of a daily log, as the history reader reads it.
struct LogRecordRow {
    int minuteOfDay = 0; // 0..1439
    double volts = 0, amps = 0, watts = 0, rpm = 0, wind = 0;
    std::int16_t mode = 0;
};

// An alarm raised or cleared.
struct AlarmEventRow {
    std::int64_t ts = 0; // UTC seconds
    std::string name;    // "Battery low"
    std::string state;   // "raised" or "cleared"
    double value = 0;    // what raised or cleared it, in the alarm's unit
    bool operator==(const AlarmEventRow&) const = default;
};

// A message for the broker kept until the broker acknowledged it.
struct OutboxRow {
    std::int64_t id = 0; // ascending in the order the rows were added; never reused
    std::string topic;
    std::string payload;
    int qos = 1;
    bool retain = false;
    bool operator==(const OutboxRow&) const = default;
};

// What could not be written at an exit, kept in a pending file.
struct PendingRecords {
    std::vector<MinuteSummary> minutes;
    std::vector<AlarmEventRow> alarmEvents;
    std::vector<OutboxRow> messages; // ids are not kept: they get new ones
    std::size_t size() const { return minutes.size() + alarmEvents.size() + messages.size(); }
    bool operator==(const PendingRecords&) const = default;
};

class HistoryStore {
public:
    static constexpr int kBusyTimeoutMs = 50;

    struct Opened {
        std::unique_ptr<HistoryStore> store; // null unless result is Ok
        StoreResult result;
    };
    // Opens or creates the file in WAL mode with synchronous=FULL, checks it
    // (quick_check) and migrates it to the current schema.  `createdDate`
    // (yyyymmdd) is recorded only when the file is new, for the reader's
    // information: nothing depends on it.  A file of a newer schema is left
    // as it is (TooNew).
    // Full: also reads the whole file once (quick_check), about 150 ms a
    // year of minutes, so damage is found before anything is written.  The
    // recorder's first open at start-up is the one Full open of a run.
    // Quick: every other open (a reopen after a failure, a second
    // connection such as the outbox, a window that reads, the log import);
    // damage then shows as a failed query or write.
    enum class OpenCheck { Full, Quick };
    static Opened open(const std::string& path, int createdDate, OpenCheck check = OpenCheck::Full);

    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    const std::string& path() const { return path_; }
    // The date the file was created (yyyymmdd).
    int createdDate() const { return createdDate_; }

    // True once the file this connection opened is no longer the one at
    // path(): renamed aside (the recorder sets a damaged korvane.db aside
    // and starts a new one), deleted or replaced.  One stat() of the path,
    // about a microsecond, so call it before every use:
    //   if (store->movedAway()) store = HistoryStore::open(path, 0, Quick).store;
    // Whatever is written through a connection that moved lands in the file
    // set aside, which nobody reads again.  Closing such a connection is
    // safe: SQLite then leaves the -wal and -shm names, which belong to the
    // new file, alone.  A reader that opens a fresh connection for each
    // query (the web server) follows by itself.
    bool movedAway() const;

    // true (the default): a commit is on the disk when it returns
    // (synchronous=FULL).  false: commits reach the disk with the next
    // checkpoint (synchronous=NORMAL), so a power cut can undo the last few
    // but never damages the file.  Only for bulk work whose every commit
    // carries its own mark of what it did (the log import).
    StoreResult setCommitsSynced(bool synced);

    // Writes the minutes, in order, in one transaction, updating the daily
    // totals with them.  A minute whose ts is already stored is merged into
    // its row (see mergeMinutes) and keeps that row's date.  All or nothing.
    StoreResult commitMinutes(std::span<const MinuteSummary> minutes);

    // The watt-hours of a date's stored minutes (0 when none).
    std::optional<double> energyOfDate(int date);
    // Stored minutes with fromTs <= ts <= toTs, oldest first.
    std::optional<std::vector<MinuteSummary>> minutes(std::int64_t fromTs, std::int64_t toTs);
    // Dates fromDate..toDate (inclusive) that have minutes or imported
    // records, oldest first.
    std::optional<std::vector<DayTotal>> dayTotals(int fromDate, int toDate);
    // Minutes with packets of dates fromDate..toDate binned by mean wind in
    // bins of `binWidth` (bin k holds [k w, (k+1) w)); empty bins left out.
    // Empty when binWidth is not a positive number.
    std::optional<std::vector<WindBin>> windBins(int fromDate, int toDate, double binWidth);
    // (mean wind, mean watts) of each minute with packets, by date and
    // within a date in the order the minutes were first stored.
    std::optional<std::vector<WindPowerPoint>> windPowerPoints(int fromDate, int toDate);

    // Dates whose log has been imported, ascending.
    std::optional<std::vector<int>> importedLogDates();
    // Dates that have minutes of their own, ascending.
    std::optional<std::vector<int>> datesWithMinutes();
    // Stores a day's log records (seq 1..n in file order) and marks the log
    // imported, in one transaction.  A date already imported is left alone.
    StoreResult importLog(int date, const std::string& name, std::int64_t bytes,
                          std::span<const LogRecordRow> records);

    // Writes what an exit kept in a pending file (see pending_file.h) in one
    // transaction together with a mark of the file's `name`: minutes as
    // commitMinutes does, alarm events and messages after those stored.  A
    // name already marked is not written again; `already` then says so.
    StoreResult importPending(const std::string& name, const PendingRecords& records,
                              bool& already);

    // Appends alarm events, in order, in one transaction.
    StoreResult recordAlarmEvents(std::span<const AlarmEventRow> events);
    // Events with fromTs <= ts <= toTs, in the order they were recorded.
    std::optional<std::vector<AlarmEventRow>> alarmEvents(std::int64_t fromTs, std::int64_t toTs);

    // Appends a message to the outbox; its new id in `id`.  `row.id` is ignored.
    StoreResult addToOutbox(const OutboxRow& row, std::int64_t& id);
    // Up to `limit` outbox rows with id > afterId, oldest first.
    std::optional<std::vector<OutboxRow>> outboxAfter(std::int64_t afterId, std::size_t limit);
    // Deletes the rows (ids not present are no fault), in one transaction.
    StoreResult removeFromOutbox(std::span<const std::int64_t> ids);
    // Appends the messages, in order, in one transaction (one disk sync).
    StoreResult addAllToOutbox(std::span<const OutboxRow> rows);
    // The highest id the outbox has given out, its rows since deleted
    // included (0 when none).
    std::optional<std::int64_t> lastOutboxId();
    // Adds rows carried over from a file set aside, keeping their ids, so an
    // outbox in memory that knows them by id finds them here; ids given out
    // later follow `lastId`.  A row whose id is taken is not added.  One
    // transaction.
    StoreResult carryOutbox(std::span<const OutboxRow> rows, std::int64_t lastId);

    // Why the last query came back empty-handed.
    const StoreResult& lastError() const { return lastError_; }

private:
    HistoryStore(Database db, std::string path, int createdDate);
    StoreResult prepare();
    StoreResult writeMinute(const MinuteSummary& m);
    // Inside a transaction the caller began.
    StoreResult writeMinutes(std::span<const MinuteSummary> minutes);
    int insertOutboxRows(std::span<const OutboxRow> rows);
    int insertRecords(int date, std::span<const LogRecordRow> records);
    bool failQuery(int rc);
    // The first column of every row of `sql`, as dates (yyyymmdd).
    std::optional<std::vector<int>> dateColumn(const char* sql);
    StoreResult addWindPair(const MinuteSummary& row, bool isNew);

    Database db_;
    std::string path_;
    int createdDate_ = 0;
    StoreResult lastError_;
    Statement selectMinute_;
    Statement insertMinute_;
    Statement upsertDay_;
    Statement energyOfDate_;
    Statement selectWind_;
    Statement upsertWind_;
    Statement insertRecords_; // kRecordsPerInsert rows at once
    std::string pairs_;
};

// The StoreResult for a SQLite result code on `db` (SQLITE_OK/DONE/ROW: Ok).
StoreResult storeResultOf(int rc, const Database& db);

// Ends a transaction begun on `db`: COMMIT when `rc` is SQLITE_OK, ROLLBACK
// when it is not or the commit fails; the outcome.
StoreResult endTransaction(const Database& db, int rc);

} // namespace korvane
