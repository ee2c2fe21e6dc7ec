// The outbox over korvane.db.  A connection of its own, so publishing never
// depends on the state of the minute recorder's.

#include "outbox.h"

#include "store/history_store.h"

#include <chrono>

namespace korvane {

namespace {

class StoreOutboxStorage final : public OutboxStorage {
public:
    StoreOutboxStorage(std::string path, int createdDate)
        : path_(std::move(path)), createdDate_(createdDate) {}

    std::optional<std::int64_t> append(const MqttMessage& m) override {
        if (!open())
            return std::nullopt;
        std::int64_t id = 0;
        if (!store_->addToOutbox({0, m.topic, m.payload, m.qos, m.retain}, id).ok())
            return std::nullopt;
        return id;
    }

    std::optional<std::vector<OutboxEntry>> after(std::int64_t afterId,
                                                  std::size_t limit) override {
        if (!open())
            return std::nullopt;
        auto rows = store_->outboxAfter(afterId, limit);
        if (!rows)
            return std::nullopt;
        std::vector<OutboxEntry> out;
        out.reserve(rows->size());
        for (OutboxRow& r : *rows)
            out.push_back({r.id, {std::move(r.topic), std::move(r.payload), r.qos, r.retain}});
        return out;
    }

    bool remove(const std::vector<std::int64_t>& ids) override {
        return open() && store_->removeFromOutbox(ids).ok();
    }

private:
    // Opening checks and may migrate the whole file: not something to
    // repeat on every message while it keeps failing.
    bool open() {
        if (store_)
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (tried_ && now - lastTry_ < std::chrono::seconds(10))
            return false;
        tried_ = true;
        lastTry_ = now;
        store_ = HistoryStore::open(path_, createdDate_).store;
        return store_ != nullptr;
    }

    std::string path_;
    int createdDate_;
    std::unique_ptr<HistoryStore> store_;
    bool tried_ = false;
    std::chrono::steady_clock::time_point lastTry_;
};

} // namespace

std::unique_ptr<OutboxStorage> makeStoreOutboxStorage(std::string dbPath, int createdDate) {
    return std::make_unique<StoreOutboxStorage>(std::move(dbPath), createdDate);
}

} // namespace korvane
