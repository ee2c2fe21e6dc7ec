// What comes into the store from outside the live minutes: the records of
// earlier daily logs, and what an exit kept in a pending file.

#include "history_store.h"
#include "store_rows.h"

#include <algorithm>
#include <sqlite3.h>
#include <string>

namespace korvane {

using rows::kExtreme, rows::kTenths, rows::scaled;

namespace {

// Records bound per INSERT.  A statement of many rows keeps its cursor at
// the end of the table from one row to the next, where a statement per row
// seeks it again from the root: the inserts took about a third less time
// this way (64 did better than 32 or 256).
constexpr std::size_t kRecordsPerInsert = 64;
constexpr int kRecordColumns = 9;

std::string recordInsertSql(std::size_t rows) {
    std::string sql = "INSERT INTO record VALUES";
    for (std::size_t r = 0; r < rows; ++r) {
        sql += r == 0 ? "(" : ",(";
        for (int c = 1; c <= kRecordColumns; ++c) {
            sql += '?';
            sql += std::to_string(static_cast<int>(r) * kRecordColumns + c);
            sql += c == kRecordColumns ? ")" : ",";
        }
    }
    return sql;
}

void bindRecord(Statement& s, std::size_t row, int date, std::int64_t seq, const LogRecordRow& r) {
    const int at = static_cast<int>(row) * kRecordColumns;
    s.bind(at + 1, date);
    s.bind(at + 2, seq);
    s.bind(at + 3, r.minuteOfDay);
    s.bind(at + 4, scaled(r.volts, kExtreme));
    s.bind(at + 5, scaled(r.amps, kExtreme));
    s.bind(at + 6, scaled(r.watts, kExtreme));
    s.bind(at + 7, scaled(r.rpm, kTenths));
    s.bind(at + 8, scaled(r.wind, kTenths));
    s.bind(at + 9, static_cast<int>(r.mode));
}

} // namespace

int HistoryStore::insertRecords(int date, std::span<const LogRecordRow> records) {
    if (!insertRecords_.ready())
        insertRecords_ = Statement(db_, recordInsertSql(kRecordsPerInsert));
    if (!insertRecords_.ready())
        return insertRecords_.rc();
    std::size_t at = 0;
    for (; at + kRecordsPerInsert <= records.size(); at += kRecordsPerInsert) {
        for (std::size_t k = 0; k < kRecordsPerInsert; ++k)
            bindRecord(insertRecords_, k, date, static_cast<std::int64_t>(at + k + 1),
                       records[at + k]);
        const int rc = insertRecords_.step();
        insertRecords_.reset();
        if (rc != SQLITE_DONE)
            return rc;
    }
    if (at == records.size())
        return SQLITE_OK;
    Statement tail(db_, recordInsertSql(records.size() - at));
    if (!tail.ready())
        return tail.rc();
    for (std::size_t k = 0; at + k < records.size(); ++k)
        bindRecord(tail, k, date, static_cast<std::int64_t>(at + k + 1), records[at + k]);
    const int rc = tail.step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

StoreResult HistoryStore::importLog(int date, const std::string& name, std::int64_t bytes,
                                    std::span<const LogRecordRow> records) {
    int rc = db_.exec("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return storeResultOf(rc, db_);
    const auto fail = [&](int code) {
        StoreResult r = storeResultOf(code, db_);
        db_.exec("ROLLBACK");
        return r;
    };

    Statement seen(db_, "SELECT 1 FROM log_file WHERE date = ?1");
    seen.bind(1, date);
    rc = seen.step();
    seen.reset();
    if (rc == SQLITE_ROW) {
        db_.exec("ROLLBACK");
        return {};
    }
    if (rc != SQLITE_DONE)
        return fail(rc);

    rc = insertRecords(date, records);
    if (rc != SQLITE_OK)
        return fail(rc);
    std::optional<std::int64_t> vMin;
    std::int64_t vMax = 0, wMax = 0, windMax = 0;
    bool first = true;
    for (const LogRecordRow& r : records) {
        const std::int64_t v = scaled(r.volts, kExtreme), w = scaled(r.watts, kExtreme);
        const std::int64_t wind = scaled(r.wind, kTenths);
        // A zero volts peak is an interval without packets, not a flat battery.
        if (v > 0)
            vMin = vMin ? std::min(*vMin, v) : v;
        vMax = first ? v : std::max(vMax, v);
        wMax = first ? w : std::max(wMax, w);
        windMax = first ? wind : std::max(windMax, wind);
        first = false;
    }
    const auto seq = static_cast<std::int64_t>(records.size());
    if (seq > 0) {
        Statement day(db_, "INSERT INTO record_day VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
        day.bind(1, date);
        day.bind(2, seq);
        if (vMin)
            day.bind(3, *vMin);
        else
            day.bindNull(3);
        day.bind(4, vMax);
        day.bind(5, wMax);
        day.bind(6, windMax);
        rc = day.step();
        if (rc != SQLITE_DONE)
            return fail(rc);
    }
    Statement file(db_, "INSERT INTO log_file VALUES(?1, ?2, ?3, ?4)");
    file.bind(1, date);
    file.bind(2, name);
    file.bind(3, bytes);
    file.bind(4, seq);
    rc = file.step();
    file.reset();
    if (rc != SQLITE_DONE)
        return fail(rc);
    rc = db_.exec("COMMIT");
    if (rc != SQLITE_OK)
        return fail(rc);
    return {};
}

StoreResult HistoryStore::importPending(const std::string& name, const PendingRecords& records,
                                        bool& already) {
    already = false;
    int rc = db_.exec("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return storeResultOf(rc, db_);
    // The mark and the contents commit together: a file renamed late (a
    // crash just after the commit) is recognised and never written twice.
    const std::string key = "pending:" + name;
    Statement seen(db_, "SELECT 1 FROM meta WHERE key = ?1");
    seen.bind(1, key);
    rc = seen.step();
    seen.reset();
    if (rc == SQLITE_ROW) {
        already = true;
        db_.exec("ROLLBACK");
        return {};
    }
    if (rc != SQLITE_DONE)
        return endTransaction(db_, rc);

    StoreResult written = writeMinutes(records.minutes);
    if (!written.ok()) {
        db_.exec("ROLLBACK");
        return written;
    }
    Statement alarm(db_, "INSERT INTO alarm_event(ts, name, state, value) VALUES(?1, ?2, ?3, ?4)");
    rc = alarm.ready() ? SQLITE_OK : alarm.rc();
    for (const AlarmEventRow& e : records.alarmEvents) {
        if (rc != SQLITE_OK)
            break;
        alarm.bind(1, e.ts);
        alarm.bind(2, e.name);
        alarm.bind(3, e.state);
        alarm.bind(4, e.value);
        rc = alarm.step();
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
        alarm.reset();
    }
    if (rc == SQLITE_OK)
        rc = insertOutboxRows(records.messages);
    if (rc == SQLITE_OK) {
        Statement mark(db_, "INSERT INTO meta(key, value) VALUES(?1, ?2)");
        mark.bind(1, key);
        mark.bind(2, static_cast<std::int64_t>(records.size()));
        rc = mark.step();
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
    }
    return endTransaction(db_, rc);
}

} // namespace korvane
