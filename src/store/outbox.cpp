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

int HistoryStore::insertOutboxRows(std::span<const OutboxRow> rows) {
    if (rows.empty())
        return SQLITE_OK;
    Statement insert(db_, "INSERT INTO outbox(topic, payload, qos, retain) VALUES(?1, ?2, ?3, ?4)");
    int rc = insert.ready() ? SQLITE_OK : insert.rc();
    for (const OutboxRow& row : rows) {
        if (rc != SQLITE_OK)
            break;
        insert.bind(1, row.topic);
        insert.bindBlob(2, row.payload);
        insert.bind(3, row.qos);
        insert.bind(4, row.retain ? 1 : 0);
        rc = insert.step();
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
        insert.reset();
    }
    return rc;
}

StoreResult HistoryStore::addAllToOutbox(std::span<const OutboxRow> rows) {
    if (rows.empty())
        return {};
    const int rc = db_.exec("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return storeResultOf(rc, db_);
    return endTransaction(db_, insertOutboxRows(rows));
}

std::optional<std::int64_t> HistoryStore::lastOutboxId() {
    // AUTOINCREMENT keeps the highest id ever given in sqlite_sequence, which
    // the rows alone no longer show once the newest were delivered.
    Statement s(db_, "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'outbox'), "
                     "0), coalesce((SELECT max(id) FROM outbox), 0))");
    const int rc = s.step();
    if (rc == SQLITE_ROW)
        return s.int64At(0);
    failQuery(rc);
    return std::nullopt;
}

StoreResult HistoryStore::carryOutbox(std::span<const OutboxRow> rows, std::int64_t lastId) {
    int rc = db_.exec("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return storeResultOf(rc, db_);
    Statement insert(db_, "INSERT OR IGNORE INTO outbox(id, topic, payload, qos, retain) "
                          "VALUES(?1, ?2, ?3, ?4, ?5)");
    rc = insert.ready() ? SQLITE_OK : insert.rc();
    for (const OutboxRow& row : rows) {
        if (rc != SQLITE_OK)
            break;
        insert.bind(1, row.id);
        insert.bind(2, row.topic);
        insert.bindBlob(3, row.payload);
        insert.bind(4, row.qos);
        insert.bind(5, row.retain ? 1 : 0);
        rc = insert.step();
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
        insert.reset();
    }
    // New ids must stay above every id the outbox in memory has seen, or a
    // message added later would sort before (and be skipped by) its window.
    for (const char* sql :
         {"UPDATE sqlite_sequence SET seq = max(seq, ?1) WHERE name = 'outbox'",
          "INSERT INTO sqlite_sequence(name, seq) SELECT 'outbox', ?1 "
          "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = 'outbox')"}) {
        if (rc != SQLITE_OK)
            break;
        Statement raise(db_, sql);
        raise.bind(1, lastId);
        rc = raise.ready() ? raise.step() : raise.rc();
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
    }
    return endTransaction(db_, rc);
}

} // namespace korvane
