#pragma once
// What the Trends window reads: korvane.db opened on its own connection
// only when it already exists (never created here), and the daily totals
// and wind/power pairs of a range, kept until the range changes.  A store
// set aside and replaced while the window is open is followed: the next
// read reopens it at its path.

#include "date_range.h"
#include "store/history_store.h"
#include "turbine_output.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

// UTC seconds of local midnight at the start of a date (yyyymmdd), in the
// machine's time zone.
std::int64_t localDayStartUtc(int date);

class TrendsReader {
public:
    enum class Status {
        Ok,
        NoHistory, // no korvane.db (or an empty file) in the app folder
        Failed,    // it exists but cannot be opened: `problem()` says why
    };

    // Opens `<appFolder>/korvane.db`.
    explicit TrendsReader(const std::string& appFolder);
    ~TrendsReader();

    Status status() const { return status_; }
    // The text to show in place of the charts when not Ok, or after a
    // query that returned nothing:
    // "No history yet: ..." or "Cannot read the history store (...): ...".
    const std::string& problem() const { return problem_; }

    // First and last stored dates; nothing when the store holds none.
    std::optional<DateRange> storedSpan();
    // Every stored date of the range (see HistoryStore::dayTotals); nothing
    // when the read failed (problem() then says why).
    const std::vector<DayTotal>* days(DateRange range);
    // (mean wind, mean watts) of the range's minutes with packets.
    const std::vector<WindPowerPoint>* points(DateRange range);
    // Alarm raises and clears from the local start of the first day to the
    // local end of the last, in the order they were recorded.
    std::optional<std::vector<AlarmEventRow>> alarms(DateRange range);
    // The minutes with packets of the range for the turbine's output (see
    // readTurbineMinutes).  The last two ranges read are kept, so a range
    // and its reference period are each read once.
    const std::vector<TurbineMinute>* turbineMinutes(DateRange range);

private:
    void fail(const StoreResult& r);
    // The connection, reopened when the file at the path is no longer the
    // one it has open; false when there is none.
    bool followStore();

    Status status_ = Status::Ok;
    std::string problem_;
    std::string path_;
    std::unique_ptr<HistoryStore> store_;
    std::optional<DateRange> daysRange_, pointsRange_;
    std::vector<DayTotal> days_;
    std::vector<WindPowerPoint> points_;
    struct Minutes {
        DateRange range;
        std::vector<TurbineMinute> minutes;
    };
    std::unique_ptr<Minutes> minutes_[2]; // [0] the latest
};

} // namespace korvane
