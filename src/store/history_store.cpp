#include "history_store.h"

#include "store_rows.h"
#include "store_schema.h"

#include <algorithm>
#include <sqlite3.h>

namespace korvane {

using rows::kExtreme, rows::kMean, rows::kTenths, rows::scaled, rows::unscaled;

MinuteSummary rows::minuteFromRow(const Statement& s, int first, std::int64_t ts) {
    MinuteSummary m;
    m.ts = ts;
    m.date = static_cast<int>(s.int64At(first));
    m.packets = s.int64At(first + 1);
    const auto at = [&](int k, double scale) { return unscaled(s.int64At(first + k), scale); };
    if (m.packets > 0) {
        m.volts = {at(2, kExtreme), at(3, kMean), at(4, kExtreme)};
        m.amps = {at(5, kExtreme), at(6, kMean), at(7, kExtreme)};
        m.watts = {at(8, kExtreme), at(9, kMean), at(10, kExtreme)};
        m.rpmMean = at(11, kMean);
        m.rpmMax = at(12, kTenths);
        m.windMean = at(13, kMean);
        m.windMax = at(14, kTenths);
    }
    m.loadOnMs = s.int64At(first + 15);
    m.wh = s.doubleAt(first + 16);
    return m;
}

StoreResult storeResultOf(int rc, const Database& db) {
    switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return {};
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {StoreStatus::Busy, rc, "locked by another program"};
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return {StoreStatus::Corrupt, rc, sqlite3_errstr(rc)};
    default:
        break;
    }
    // The connection's message often names the cause better than the code's
    // ("unable to open database file" vs "disk I/O error: ...").
    std::string text = db.get() ? db.errorText() : sqlite3_errstr(rc);
    if (text.empty() || text == "not an error")
        text = sqlite3_errstr(rc);
    return {StoreStatus::Failed, rc, text};
}

namespace {

// The first column of the first row of a one-value query.
struct OneValue {
    int rc = SQLITE_OK;
    std::int64_t number = 0;
    std::string text;
};

OneValue queryOne(const Database& db, const char* sql) {
    Statement s(db, sql);
    if (!s.ready())
        return {s.rc(), 0, {}};
    const int rc = s.step();
    if (rc == SQLITE_ROW)
        return {SQLITE_OK, s.int64At(0), s.textAt(0)};
    return {rc == SQLITE_DONE ? SQLITE_OK : rc, 0, {}};
}

} // namespace

HistoryStore::Opened HistoryStore::open(const std::string& path, int createdDate, OpenCheck check) {
    // One thread owns a connection, so SQLite's per-call mutex is pure cost
    // on a scan of a year's minutes.
    sqlite3* raw = nullptr;
    const int openRc =
        sqlite3_open_v2(path.c_str(), &raw,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    Database db(raw);
    if (openRc != SQLITE_OK)
        return {nullptr, storeResultOf(openRc, db)};
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);

    // The version comes first so that a newer file is refused before any
    // pragma below changes its header.
    const OneValue version = queryOne(db, "PRAGMA user_version");
    if (version.rc != SQLITE_OK)
        return {nullptr, storeResultOf(version.rc, db)};
    const int current = currentSchemaVersion();
    if (version.number > current)
        return {nullptr,
                {StoreStatus::TooNew, 0,
                 "written by a newer Korvane (schema " + std::to_string(version.number) +
                     ", this one knows " + std::to_string(current) + ")"}};

    if (check == OpenCheck::Full) {
        const OneValue verdict = queryOne(db, "PRAGMA quick_check(1)");
        if (verdict.rc != SQLITE_OK)
            return {nullptr, storeResultOf(verdict.rc, db)};
        if (verdict.text != "ok")
            return {nullptr, {StoreStatus::Corrupt, SQLITE_CORRUPT, "damaged: " + verdict.text}};
    }

    const OneValue journal = queryOne(db, "PRAGMA journal_mode = WAL");
    if (journal.rc != SQLITE_OK)
        return {nullptr, storeResultOf(journal.rc, db)};
    int rc = db.exec("PRAGMA synchronous = FULL");
    if (rc == SQLITE_OK)
        rc = migrate(db, static_cast<int>(version.number), current, {createdDate});
    if (rc != SQLITE_OK)
        return {nullptr, storeResultOf(rc, db)};

    const OneValue created = queryOne(db, "SELECT value FROM meta WHERE key = 'created_date'");
    if (created.rc != SQLITE_OK)
        return {nullptr, storeResultOf(created.rc, db)};

    std::unique_ptr<HistoryStore> store(
        new HistoryStore(std::move(db), path, static_cast<int>(created.number)));
    StoreResult prepared = store->prepare();
    if (!prepared.ok())
        return {nullptr, prepared};
    return {std::move(store), {}};
}

HistoryStore::HistoryStore(Database db, std::string path, int createdDate)
    : db_(std::move(db)), path_(std::move(path)), createdDate_(createdDate) {}

HistoryStore::~HistoryStore() = default;

StoreResult HistoryStore::prepare() {
    selectMinute_ = Statement(db_, "SELECT date, packets, v_min, v_mean, v_max, a_min, a_mean, "
                                   "a_max, w_min, w_mean, w_max, rpm_mean, rpm_max, wind_mean, "
                                   "wind_max, load_ms, wh FROM minute WHERE ts = ?1");
    insertMinute_ = Statement(db_, "INSERT OR REPLACE INTO minute VALUES(?1, ?2, ?3, ?4, ?5, ?6, "
                                   "?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18)");
    // SQLite's min() and max() of several values are NULL when any is, so
    // coalesce keeps the known side when a day or a minute has no packets.
    upsertDay_ = Statement(db_, R"sql(
INSERT INTO day_total(date, first_ts, last_ts, minutes, packets, wh, v_min, v_max, w_max,
                      wind_max, load_ms)
VALUES(?1, ?2, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)
ON CONFLICT(date) DO UPDATE SET
    first_ts = min(first_ts, excluded.first_ts),
    last_ts = max(last_ts, excluded.last_ts),
    minutes = minutes + excluded.minutes,
    packets = packets + excluded.packets,
    wh = wh + excluded.wh,
    v_min = coalesce(min(v_min, excluded.v_min), v_min, excluded.v_min),
    v_max = coalesce(max(v_max, excluded.v_max), v_max, excluded.v_max),
    w_max = coalesce(max(w_max, excluded.w_max), w_max, excluded.w_max),
    wind_max = coalesce(max(wind_max, excluded.wind_max), wind_max, excluded.wind_max),
    load_ms = load_ms + excluded.load_ms)sql");
    energyOfDate_ = Statement(db_, "SELECT wh FROM day_total WHERE date = ?1");
    selectWind_ = Statement(db_, "SELECT pairs FROM day_wind WHERE date = ?1");
    upsertWind_ = Statement(db_, "INSERT OR REPLACE INTO day_wind VALUES(?1, ?2)");
    for (const Statement* s :
         {&selectMinute_, &insertMinute_, &upsertDay_, &energyOfDate_, &selectWind_, &upsertWind_})
        if (!s->ready())
            return storeResultOf(s->rc(), db_);
    return {};
}

namespace {

// Binds a value scaled, or NULL for a minute without packets.
void bindStat(Statement& s, int index, bool known, double value, double scale) {
    if (known)
        s.bind(index, scaled(value, scale));
    else
        s.bindNull(index);
}

} // namespace

StoreResult HistoryStore::writeMinute(const MinuteSummary& m) {
    int rc = SQLITE_OK;
    MinuteSummary row = m;
    bool isNew = true;
    {
        ResetOnExit done(selectMinute_);
        selectMinute_.bind(1, m.ts);
        rc = selectMinute_.step();
        if (rc == SQLITE_ROW) {
            row = mergeMinutes(rows::minuteFromRow(selectMinute_, 0, m.ts), m);
            isNew = false;
        } else if (rc != SQLITE_DONE) {
            return storeResultOf(rc, db_);
        }
    }
    const bool known = row.packets > 0;
    {
        Statement& s = insertMinute_;
        ResetOnExit done(s);
        s.bind(1, row.ts);
        s.bind(2, row.date);
        s.bind(3, row.packets);
        const Spread* spreads[] = {&row.volts, &row.amps, &row.watts};
        int k = 4;
        for (const Spread* sp : spreads) {
            bindStat(s, k++, known, sp->min, kExtreme);
            bindStat(s, k++, known, sp->mean, kMean);
            bindStat(s, k++, known, sp->max, kExtreme);
        }
        bindStat(s, 13, known, row.rpmMean, kMean);
        bindStat(s, 14, known, row.rpmMax, kTenths);
        bindStat(s, 15, known, row.windMean, kMean);
        bindStat(s, 16, known, row.windMax, kTenths);
        s.bind(17, row.loadOnMs);
        s.bind(18, row.wh);
        rc = s.step();
        if (rc != SQLITE_DONE)
            return storeResultOf(rc, db_);
    }
    // The day gains this minute's own figures, under the row's date.
    const bool mKnown = m.packets > 0;
    Statement& d = upsertDay_;
    ResetOnExit done(d);
    d.bind(1, row.date);
    d.bind(2, m.ts);
    d.bind(3, isNew ? 1 : 0);
    d.bind(4, m.packets);
    d.bind(5, m.wh);
    bindStat(d, 6, mKnown, m.volts.min, kExtreme);
    bindStat(d, 7, mKnown, m.volts.max, kExtreme);
    bindStat(d, 8, mKnown, m.watts.max, kExtreme);
    bindStat(d, 9, mKnown, m.windMax, kTenths);
    d.bind(10, m.loadOnMs);
    rc = d.step();
    if (rc != SQLITE_DONE)
        return storeResultOf(rc, db_);
    return addWindPair(row, isNew);
}

StoreResult HistoryStore::addWindPair(const MinuteSummary& row, bool isNew) {
    if (row.packets == 0)
        return {};
    pairs_.clear();
    int rc = SQLITE_OK;
    if (isNew) {
        ResetOnExit done(selectWind_);
        selectWind_.bind(1, row.date);
        rc = selectWind_.step();
        if (rc == SQLITE_ROW)
            pairs_ = selectWind_.bytesAt(0);
        else if (rc != SQLITE_DONE)
            return storeResultOf(rc, db_);
        rows::appendInt32(pairs_, scaled(row.windMean, kMean));
        rows::appendInt32(pairs_, scaled(row.watts.mean, kMean));
    } else {
        // A merged minute changed its means: rebuild the date's pairs from
        // its rows.  Rare (the clock was set back), so a scan is fine.
        Statement s(db_, "SELECT wind_mean, w_mean FROM minute WHERE ts BETWEEN "
                         "(SELECT first_ts FROM day_total WHERE date = ?1) AND "
                         "(SELECT last_ts FROM day_total WHERE date = ?1) "
                         "AND date = ?1 AND packets > 0 ORDER BY ts");
        s.bind(1, row.date);
        while ((rc = s.step()) == SQLITE_ROW) {
            rows::appendInt32(pairs_, s.int64At(0));
            rows::appendInt32(pairs_, s.int64At(1));
        }
        if (rc != SQLITE_DONE)
            return storeResultOf(rc, db_);
    }
    ResetOnExit done(upsertWind_);
    upsertWind_.bind(1, row.date);
    upsertWind_.bindBlob(2, pairs_);
    rc = upsertWind_.step();
    return rc == SQLITE_DONE ? StoreResult{} : storeResultOf(rc, db_);
}

StoreResult endTransaction(const Database& db, int rc) {
    if (rc == SQLITE_OK)
        rc = db.exec("COMMIT");
    if (rc == SQLITE_OK)
        return {};
    StoreResult result = storeResultOf(rc, db);
    if (!sqlite3_get_autocommit(db.get()))
        db.exec("ROLLBACK");
    return result;
}

StoreResult HistoryStore::writeMinutes(std::span<const MinuteSummary> minutes) {
    for (const MinuteSummary& m : minutes) {
        StoreResult r = writeMinute(m);
        if (!r.ok())
            return r;
    }
    return {};
}

StoreResult HistoryStore::commitMinutes(std::span<const MinuteSummary> minutes) {
    if (minutes.empty())
        return {};
    int rc = db_.exec("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return storeResultOf(rc, db_);
    StoreResult r = writeMinutes(minutes);
    if (!r.ok()) {
        db_.exec("ROLLBACK");
        return r;
    }
    return endTransaction(db_, SQLITE_OK);
}

bool HistoryStore::movedAway() const {
    // SQLite's own test: is the file at the path still the inode it opened?
    int moved = 0;
    if (sqlite3_file_control(db_.get(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK)
        return false;
    return moved != 0;
}

StoreResult HistoryStore::setCommitsSynced(bool synced) {
    return storeResultOf(
        db_.exec(synced ? "PRAGMA synchronous = FULL" : "PRAGMA synchronous = NORMAL"), db_);
}

} // namespace korvane
