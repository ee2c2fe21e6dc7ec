// Alarm events in the store: written as they happen, read back for a range.

#include "alarm_events.h"

#include <limits>
#include <sqlite3.h>
#include <string_view>
#include <unordered_map>

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

std::vector<AlarmEventRow> latestAlarmEvents(HistoryStore* store) {
    if (!store)
        return {};
    auto all = store->alarmEvents(std::numeric_limits<std::int64_t>::min(),
                                  std::numeric_limits<std::int64_t>::max());
    if (!all)
        return {};
    // By order of recording, not by time: a clock set back must not make an
    // older raise look later than the clear that followed it.
    std::unordered_map<std::string_view, std::size_t> latest;
    for (std::size_t i = 0; i < all->size(); ++i)
        latest[(*all)[i].name] = i;
    std::vector<AlarmEventRow> out;
    for (std::size_t i = 0; i < all->size(); ++i)
        if (latest[(*all)[i].name] == i)
            out.push_back((*all)[i]);
    return out;
}

} // namespace korvane
