// Alarm events in the store: written as they happen, read back for a range.

#include "history_store.h"

#include <sqlite3.h>

namespace korvane {

StoreResult HistoryStore::recordAlarmEvents(std::span<const AlarmEventRow> events) {
    if (events.empty())
        return {};
    int rc = db_.exec("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return storeResultOf(rc, db_);
    Statement insert(db_, "INSERT INTO alarm_event(ts, name, state, value) VALUES(?1, ?2, ?3, ?4)");
    rc = insert.ready() ? SQLITE_OK : insert.rc();
    for (const AlarmEventRow& e : events) {
        if (rc != SQLITE_OK)
            break;
        insert.bind(1, e.ts);
        insert.bind(2, e.name);
        insert.bind(3, e.state);
        insert.bind(4, e.value);
        rc = insert.step();
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
        insert.reset();
    }
    return endTransaction(db_, rc);
}

std::optional<std::vector<AlarmEventRow>> HistoryStore::alarmEvents(std::int64_t fromTs,
                                                                    std::int64_t toTs) {
    Statement s(db_, "SELECT ts, name, state, value FROM alarm_event "
                     "WHERE ts BETWEEN ?1 AND ?2 ORDER BY id");
    s.bind(1, fromTs);
    s.bind(2, toTs);
    std::vector<AlarmEventRow> out;
    int rc = SQLITE_OK;
    while ((rc = s.step()) == SQLITE_ROW)
        out.push_back({s.int64At(0), s.textAt(1), s.textAt(2), s.doubleAt(3)});
    if (rc != SQLITE_DONE) {
        failQuery(rc);
        return std::nullopt;
    }
    return out;
}

} // namespace korvane
