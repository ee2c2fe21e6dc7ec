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

namespace {

// Calls f(wind, watts), both in thousandths, for each stored pair of the
// dates; returns the SQLite code of the scan.
template <class F> int forEachWindPair(const Database& db, int fromDate, int toDate, F&& f) {
    Statement s(db, "SELECT pairs FROM day_wind WHERE date BETWEEN ?1 AND ?2 ORDER BY date");
    if (!s.ready())
        return s.rc();
    s.bind(1, fromDate);
    s.bind(2, toDate);
    int rc = SQLITE_OK;
    while ((rc = s.step()) == SQLITE_ROW) {
        const std::string_view bytes = s.bytesAt(0);
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        for (std::size_t at = 0; at + rows::kPairBytes <= bytes.size(); at += rows::kPairBytes)
            f(rows::int32At(p + at), rows::int32At(p + at + 4));
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

} // namespace

std::optional<std::vector<WindBin>> HistoryStore::windBins(int fromDate, int toDate,
                                                           double binWidth) {
    if (!(binWidth > 0) || !std::isfinite(binWidth))
        return std::vector<WindBin>{};
    struct Sum {
        std::int64_t n = 0;
        double watts = 0;
    };
    // Bins from the first mean wind seen upwards sit in a vector; a bin
    // width far below the resolution could make that huge, so bins below
    // the first or too far above go to a map.
    constexpr std::int64_t kMaxDenseBins = 100000;
    std::vector<Sum> dense;
    std::map<std::int64_t, Sum> sparse;
    std::int64_t first = 0;
    bool any = false;
    const double scaledWidth = binWidth * rows::kMean;
    const int rc = forEachWindPair(db_, fromDate, toDate, [&](std::int32_t wind, std::int32_t w) {
        const auto bin =
            static_cast<std::int64_t>(std::floor(static_cast<double>(wind) / scaledWidth));
        if (!any) {
            first = bin;
            any = true;
        }
        Sum* sum = nullptr;
        const std::int64_t offset = bin - first;
        if (offset >= 0 && offset < static_cast<std::int64_t>(dense.size())) {
            sum = &dense[static_cast<std::size_t>(offset)];
        } else if (offset >= 0 && offset < kMaxDenseBins) {
            dense.resize(static_cast<std::size_t>(offset + 1));
            sum = &dense[static_cast<std::size_t>(offset)];
        } else {
            sum = &sparse[bin];
        }
        ++sum->n;
        sum->watts += static_cast<double>(w);
    });
    if (rc != SQLITE_OK) {
        failQuery(rc);
        return std::nullopt;
    }
    for (std::size_t i = 0; i < dense.size(); ++i) {
        if (dense[i].n > 0) {
            Sum& merged = sparse[first + static_cast<std::int64_t>(i)];
            merged.n += dense[i].n;
            merged.watts += dense[i].watts;
        }
    }
    std::vector<WindBin> out;
    out.reserve(sparse.size());
    for (const auto& [bin, sum] : sparse)
        out.push_back({static_cast<double>(bin) * binWidth, static_cast<double>(bin + 1) * binWidth,
                       sum.n, sum.watts / static_cast<double>(sum.n) / rows::kMean});
    return out;
}

std::optional<std::vector<WindPowerPoint>> HistoryStore::windPowerPoints(int fromDate, int toDate) {
    std::vector<WindPowerPoint> out;
    const int rc = forEachWindPair(db_, fromDate, toDate, [&](std::int32_t wind, std::int32_t w) {
        out.push_back({unscaled(wind, rows::kMean), unscaled(w, rows::kMean)});
    });
    if (rc != SQLITE_OK) {
        failQuery(rc);
        return std::nullopt;
    }
    return out;
}

std::optional<std::vector<int>> HistoryStore::dateColumn(const char* sql) {
    Statement s(db_, sql);
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

std::optional<std::vector<int>> HistoryStore::importedLogDates() {
    return dateColumn("SELECT date FROM log_file ORDER BY date");
}

std::optional<std::vector<int>> HistoryStore::datesWithMinutes() {
    return dateColumn("SELECT date FROM day_total ORDER BY date");
}

} // namespace korvane
