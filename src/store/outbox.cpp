// The outbox in the store: messages for the broker that outlive an outage or
// a restart, deleted only once the broker has them.

#include "history_store.h"

#include <sqlite3.h>

namespace korvane {

StoreResult HistoryStore::addToOutbox(const OutboxRow& row, std::int64_t& id) {
    Statement insert(db_, "INSERT INTO outbox(topic, payload, qos, retain) VALUES(?1, ?2, ?3, ?4)");
    if (!insert.ready())
        return storeResultOf(insert.rc(), db_);
    insert.bind(1, row.topic);
    insert.bindBlob(2, row.payload);
    insert.bind(3, row.qos);
    insert.bind(4, row.retain ? 1 : 0);
    const int rc = insert.step();
    if (rc != SQLITE_DONE)
        return storeResultOf(rc, db_);
    id = sqlite3_last_insert_rowid(db_.get());
    return {};
}

std::optional<std::vector<OutboxRow>> HistoryStore::outboxAfter(std::int64_t afterId,
                                                                std::size_t limit) {
    Statement s(db_, "SELECT id, topic, payload, qos, retain FROM outbox WHERE id > ?1 "
                     "ORDER BY id LIMIT ?2");
    if (!s.ready()) {
        failQuery(s.rc());
        return std::nullopt;
    }
    s.bind(1, afterId);
    s.bind(2, static_cast<std::int64_t>(limit));
    std::vector<OutboxRow> out;
    int rc = SQLITE_OK;
    while ((rc = s.step()) == SQLITE_ROW)
        out.push_back({s.int64At(0), s.textAt(1), std::string(s.bytesAt(2)),
                       static_cast<int>(s.int64At(3)), s.int64At(4) != 0});
    if (rc != SQLITE_DONE) {
        failQuery(rc);
        return std::nullopt;
    }
    return out;
}

StoreResult HistoryStore::removeFromOutbox(std::span<const std::int64_t> ids) {
    if (ids.empty())
        return {};
    int rc = db_.exec("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return storeResultOf(rc, db_);
    Statement remove(db_, "DELETE FROM outbox WHERE id = ?1");
    rc = remove.ready() ? SQLITE_OK : remove.rc();
    for (const std::int64_t id : ids) {
        if (rc != SQLITE_OK)
            break;
        remove.bind(1, id);
        rc = remove.step();
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
        remove.reset();
    }
    return endTransaction(db_, rc);
}

} // namespace korvane
