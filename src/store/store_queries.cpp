// The read side of HistoryStore: energy resume, minutes, daily totals and
// the wind/power queries behind a power curve.

#include "history_store.h"
#include "store_rows.h"

#include <cmath>
#include <map>
#include <sqlite3.h>

namespace korvane {

using rows::kExtreme, rows::kTenths, rows::unscaled;

bool HistoryStore::failQuery(int rc) {
    lastError_ = storeResultOf(rc, db_);
    if (lastError_.ok())
        lastError_ = {StoreStatus::Failed, rc, "query failed"};
    return false;
}

std::optional<double> HistoryStore::energyOfDate(int date) {
    ResetOnExit done(energyOfDate_);
    energyOfDate_.bind(1, date);
    const int rc = energyOfDate_.step();
    if (rc == SQLITE_ROW)
        return energyOfDate_.doubleAt(0);
    if (rc == SQLITE_DONE)
        return 0.0;
    failQuery(rc);
    return std::nullopt;
}

std::optional<std::vector<MinuteSummary>> HistoryStore::minutes(std::int64_t fromTs,
                                                                std::int64_t toTs) {
    Statement s(db_, "SELECT ts, date, packets, v_min, v_mean, v_max, a_min, a_mean, a_max, "
                     "w_min, w_mean, w_max, rpm_mean, rpm_max, wind_mean, wind_max, load_ms, wh "
                     "FROM minute WHERE ts BETWEEN ?1 AND ?2 ORDER BY ts");
    if (!s.ready()) {
        failQuery(s.rc());
        return std::nullopt;
    }
    s.bind(1, fromTs);
    s.bind(2, toTs);
    std::vector<MinuteSummary> out;
    int rc = SQLITE_OK;
    while ((rc = s.step()) == SQLITE_ROW)
        out.push_back(rows::minuteFromRow(s, 1, s.int64At(0)));
    if (rc != SQLITE_DONE) {
        failQuery(rc);
        return std::nullopt;
    }
    return out;
}

std::optional<std::vector<DayTotal>> HistoryStore::dayTotals(int fromDate, int toDate) {
    Statement s(db_, R"sql(
SELECT date, first_ts, last_ts, minutes, packets, wh, v_min, v_max, w_max, wind_max, load_ms
FROM day_total WHERE date BETWEEN ?1 AND ?2
UNION ALL
SELECT date, NULL, NULL, 0, NULL, NULL, v_min, v_max, w_max, wind_max, NULL
FROM record_day WHERE date BETWEEN ?1 AND ?2 AND date NOT IN (SELECT date FROM day_total)
ORDER BY date)sql");
    if (!s.ready()) {
        failQuery(s.rc());
        return std::nullopt;
    }
    s.bind(1, fromDate);
    s.bind(2, toDate);
    const auto integer = [&](int c) {
        return s.isNull(c) ? std::nullopt : std::optional<std::int64_t>(s.int64At(c));
    };
    const auto value = [&](int c, double scale) {
        return s.isNull(c) ? std::nullopt : std::optional<double>(unscaled(s.int64At(c), scale));
    };
    std::vector<DayTotal> out;
    int rc = SQLITE_OK;
    while ((rc = s.step()) == SQLITE_ROW) {
        DayTotal d;
        d.date = static_cast<int>(s.int64At(0));
        d.firstTs = integer(1);
        d.lastTs = integer(2);
        d.minutes = s.int64At(3);
        d.packets = integer(4);
        d.wh = s.isNull(5) ? std::nullopt : std::optional<double>(s.doubleAt(5));
        d.voltsMin = value(6, kExtreme);
        d.voltsMax = value(7, kExtreme);
        d.wattsMax = value(8, kExtreme);
        d.windMax = value(9, kTenths);
        d.loadOnMinutes = value(10, 60000.0);
        out.push_back(d);
    }
    if (rc != SQLITE_DONE) {
        failQuery(rc);
        return std::nullopt;
    }
    return out;
}

// Minutes of a date range lie between the first and last minute of those
// dates' totals, which narrows a rowid range scan without an index on date
// (an index would add a tenth to the file).
std::optional<std::pair<std::int64_t, std::int64_t>> HistoryStore::tsRangeOf(int fromDate,
                                                                             int toDate) {
    Statement s(db_, "SELECT min(first_ts), max(last_ts) FROM day_total "
                     "WHERE date BETWEEN ?1 AND ?2");
    s.bind(1, fromDate);
    s.bind(2, toDate);
    const int rc = s.step();
    if (rc != SQLITE_ROW) {
        failQuery(rc);
        return std::nullopt;
    }
    if (s.isNull(0))
        return std::pair<std::int64_t, std::int64_t>{1, 0};
    return std::pair{s.int64At(0), s.int64At(1)};
}

namespace {

constexpr const char* kWindAndWatts = "SELECT wind_mean, w_mean FROM minute "
                                      "WHERE ts BETWEEN ?1 AND ?2 AND date BETWEEN ?3 AND ?4 "
                                      "AND packets > 0";

} // namespace

std::optional<std::vector<WindBin>> HistoryStore::windBins(int fromDate, int toDate,
                                                           double binWidth) {
    if (!(binWidth > 0) || !std::isfinite(binWidth))
        return std::vector<WindBin>{};
    const auto range = tsRangeOf(fromDate, toDate);
    if (!range)
        return std::nullopt;
    Statement s(db_, kWindAndWatts);
    s.bind(1, range->first);
    s.bind(2, range->second);
    s.bind(3, fromDate);
    s.bind(4, toDate);
    struct Sum {
        std::int64_t n = 0;
        double watts = 0;
    };
    std::map<std::int64_t, Sum> bins;
    const double scaledWidth = binWidth * rows::kMean;
    int rc = SQLITE_OK;
    while ((rc = s.step()) == SQLITE_ROW) {
        const auto bin =
            static_cast<std::int64_t>(std::floor(static_cast<double>(s.int64At(0)) / scaledWidth));
        Sum& sum = bins[bin];
        ++sum.n;
        sum.watts += static_cast<double>(s.int64At(1));
    }
    if (rc != SQLITE_DONE) {
        failQuery(rc);
        return std::nullopt;
    }
    std::vector<WindBin> out;
    out.reserve(bins.size());
    for (const auto& [bin, sum] : bins)
        out.push_back({static_cast<double>(bin) * binWidth, static_cast<double>(bin + 1) * binWidth,
                       sum.n, sum.watts / static_cast<double>(sum.n) / rows::kMean});
    return out;
}

std::optional<std::vector<WindPowerPoint>> HistoryStore::windPowerPoints(int fromDate, int toDate) {
    const auto range = tsRangeOf(fromDate, toDate);
    if (!range)
        return std::nullopt;
    Statement s(db_, kWindAndWatts);
    s.bind(1, range->first);
    s.bind(2, range->second);
    s.bind(3, fromDate);
    s.bind(4, toDate);
    std::vector<WindPowerPoint> out;
    int rc = SQLITE_OK;
    while ((rc = s.step()) == SQLITE_ROW)
        out.push_back({unscaled(s.int64At(0), rows::kMean), unscaled(s.int64At(1), rows::kMean)});
    if (rc != SQLITE_DONE) {
        failQuery(rc);
        return std::nullopt;
    }
    return out;
}

std::optional<std::vector<int>> HistoryStore::importedLogDates() {
    Statement s(db_, "SELECT date FROM log_file ORDER BY date");
    std::vector<int> out;
    int rc = SQLITE_OK;
    while ((rc = s.step()) == SQLITE_ROW)
        out.push_back(static_cast<int>(s.int64At(0)));
    if (rc != SQLITE_DONE) {
        failQuery(rc);
        return std::nullopt;
    }
    return out;
}

} // namespace korvane
