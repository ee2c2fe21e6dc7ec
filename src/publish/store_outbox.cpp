// The outbox over korvane.db.  A connection of its own, so publishing never
// depends on the state of the minute recorder's.

#include "outbox.h"

#include "store/history_store.h"
#include "store/pending_file.h"

#include "platform/files.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace korvane {

namespace {

std::vector<OutboxRow> rowsOf(const std::vector<MqttMessage>& messages) {
    std::vector<OutboxRow> rows;
    rows.reserve(messages.size());
    for (const MqttMessage& m : messages)
        rows.push_back({0, m.topic, m.payload, m.qos, m.retain});
    return rows;
}

class StoreOutboxStorage final : public OutboxStorage {
public:
    StoreOutboxStorage(std::string path, int createdDate)
        : path_(std::move(path)), createdDate_(createdDate) {}

    std::optional<std::int64_t> append(const MqttMessage& m) override {
        HistoryStore* store = current();
        std::int64_t id = 0;
        if (!store || !store->addToOutbox({0, m.topic, m.payload, m.qos, m.retain}, id).ok())
            return std::nullopt;
        highestId_ = std::max(highestId_, id);
        return id;
    }

    std::optional<std::vector<OutboxEntry>> after(std::int64_t afterId,
                                                  std::size_t limit) override {
        HistoryStore* store = current();
        auto rows = store ? store->outboxAfter(afterId, limit) : std::nullopt;
        if (!rows)
            return std::nullopt;
        std::vector<OutboxEntry> out;
        out.reserve(rows->size());
        for (OutboxRow& r : *rows) {
            highestId_ = std::max(highestId_, r.id);
            out.push_back({r.id, {std::move(r.topic), std::move(r.payload), r.qos, r.retain}});
        }
        return out;
    }

    bool remove(const std::vector<std::int64_t>& ids) override {
        HistoryStore* store = current();
        return store && store->removeFromOutbox(ids).ok();
    }

    void upkeep() override {
        if (store_ && store_->movedAway())
            carryOver();
    }

    std::string storeOnExit(const std::vector<MqttMessage>& messages) override {
        failedAt_.reset(); // once more, whatever the retry delay
        std::vector<OutboxRow> rows = rowsOf(messages);
        std::string why;
        if (store_ && store_->movedAway() && !carryOver()) {
            // Rows only in the file set aside go first, into the pending file.
            std::vector<OutboxRow> left = readAll(*store_);
            rows.insert(rows.begin(), left.begin(), left.end());
            why = openError_.ok() ? "cannot carry the outbox over" : openError_.text;
        } else if (rows.empty()) {
            return {};
        } else if (HistoryStore* store = current()) {
            const StoreResult r = store->addAllToOutbox(rows);
            if (r.ok())
                return {};
            why = r.text;
        } else {
            why = openError_.text;
        }
        if (rows.empty())
            return {};
        return keep(std::move(rows), why);
    }

private:
    // The connection to the file now at the path, or null while there is
    // none.  Every call goes through here, so nothing is written into a
    // file that was set aside.
    HistoryStore* current() {
        if (store_ && store_->movedAway() && !carryOver())
            return nullptr;
        if (!store_)
            open();
        return store_.get();
    }

    // Opening is quick, but a store that keeps failing is not worth a try
    // on every message: after a failure the next try waits 10 s.
    std::unique_ptr<HistoryStore> openAtPath() {
        const auto now = std::chrono::steady_clock::now();
        if (failedAt_ && now - *failedAt_ < std::chrono::seconds(10))
            return nullptr;
        auto opened = HistoryStore::open(path_, createdDate_, HistoryStore::OpenCheck::Quick);
        openError_ = opened.result;
        failedAt_.reset();
        if (!opened.store)
            failedAt_ = now;
        return std::move(opened.store);
    }

    void open() { store_ = openAtPath(); }

    std::string keep(std::vector<OutboxRow> rows, const std::string& why) {
        PendingRecords kept;
        kept.messages = std::move(rows);
        const auto nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
        const std::string file = pendingFilePath(path_, nowMs);
        const std::string name = std::filesystem::path(file).filename().string();
        const std::string what = pendingCountText(0, 0, kept.messages.size());
        const int error = keepPending(file, kept);
        if (error != 0)
            return "MQTT: " + what + " could not be stored in " + path_ + " (" + why +
                   ") nor kept in " + name + " (" + errorText(error) + "): lost";
        return "MQTT: " + what + " could not be stored in " + path_ + " (" + why + "); kept in " +
               name + ", to be sent after the next start";
    }

    static std::vector<OutboxRow> readAll(HistoryStore& store) {
        std::vector<OutboxRow> rows;
        for (;;) {
            auto some = store.outboxAfter(rows.empty() ? 0 : rows.back().id, 5000);
            // A damaged file may give up part way: what was read still goes.
            if (!some || some->empty())
                return rows;
            rows.insert(rows.end(), std::make_move_iterator(some->begin()),
                        std::make_move_iterator(some->end()));
        }
    }

    // The file in use was set aside: its undelivered rows go into the one
    // now at the path under the same ids, so the outbox in memory (which
    // knows them by id) carries on as if nothing happened.
    bool carryOver() {
        std::unique_ptr<HistoryStore> next = openAtPath();
        if (!next)
            return false;
        const std::vector<OutboxRow> rows = readAll(*store_);
        std::int64_t lastId = store_->lastOutboxId().value_or(0);
        for (const OutboxRow& r : rows)
            lastId = std::max(lastId, r.id);
        if (!next->carryOutbox(rows, std::max(lastId, highestId_)).ok())
            return false;
        store_ = std::move(next);
        return true;
    }

    std::string path_;
    int createdDate_;
    std::unique_ptr<HistoryStore> store_;
    StoreResult openError_;
    std::int64_t highestId_ = 0; // every id seen, so new ones never sort before them
    std::optional<std::chrono::steady_clock::time_point> failedAt_;
};

} // namespace

std::unique_ptr<OutboxStorage> makeStoreOutboxStorage(std::string dbPath, int createdDate) {
    return std::make_unique<StoreOutboxStorage>(std::move(dbPath), createdDate);
}

} // namespace korvane
