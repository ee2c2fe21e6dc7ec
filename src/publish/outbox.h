#pragma once
// Messages that must reach the broker (records and alarm events): kept in a
// storage until the broker acknowledged them, sent oldest first with a
// bounded number in flight, and sent again from the oldest after a
// reconnect.  Pure logic: the caller publishes and reports acknowledgements.

#include "mqtt_messages.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace korvane {

struct OutboxEntry {
    std::int64_t id = 0; // ascending in the order the entries were added
    MqttMessage message;
};

// Where the outbox lives between runs.  Every call may fail (the file is
// locked, the disk is full): failures come back as empty/false and the
// outbox keeps the entry in memory meanwhile.
class OutboxStorage {
public:
    virtual ~OutboxStorage() = default;
    // Stores a message; its new id, larger than every earlier one.
    virtual std::optional<std::int64_t> append(const MqttMessage& message) = 0;
    // Up to `limit` entries with id > afterId, oldest first.
    virtual std::optional<std::vector<OutboxEntry>> after(std::int64_t afterId,
                                                          std::size_t limit) = 0;
    // Deletes the entries (ids not present are no fault).
    virtual bool remove(const std::vector<std::int64_t>& ids) = 0;
    // On the way out: stores `messages` (oldest first, after every stored
    // entry) if the storage can be reached now, whatever its retry delay,
    // and keeps the rest where the next start takes them in.  A line for
    // the user when any were not stored; empty when all were.
    virtual std::string storeOnExit(const std::vector<MqttMessage>& messages) = 0;
    // Cheap upkeep, on the outbox's housekeeping beat.
    virtual void upkeep() {}
};

// Storage in memory, for tests; `reachable` false makes every call fail.
class MemoryOutboxStorage final : public OutboxStorage {
public:
    std::optional<std::int64_t> append(const MqttMessage& message) override;
    std::optional<std::vector<OutboxEntry>> after(std::int64_t afterId, std::size_t limit) override;
    bool remove(const std::vector<std::int64_t>& ids) override;
    // Appends when reachable, else keeps them in `keptAside`.
    std::string storeOnExit(const std::vector<MqttMessage>& messages) override;

    bool reachable = true;
    std::vector<OutboxEntry> entries;
    std::vector<MqttMessage> keptAside;

private:
    std::int64_t lastId_ = 0;
};

// The outbox table of korvane.db over a connection of its own, opened on
// first use (a quick open: the recorder checked the file at start-up) and,
// while it cannot be opened, tried again at most every 10 s.  When the
// recorder sets a damaged korvane.db aside and starts a new one, the
// storage notices at its next call (upkeep() included), carries the
// undelivered rows into the new file under the same ids and goes on there.
// storeOnExit keeps what the store refuses in a pending file beside it
// (store/pending_file.h), which the recorder writes into the store at the
// next start.
std::unique_ptr<OutboxStorage> makeStoreOutboxStorage(std::string dbPath, int createdDate);

class Outbox {
public:
    static constexpr std::size_t kMaxInFlight = 20;
    // Entries loaded from the storage at a time; the rest stay there.
    static constexpr std::size_t kWindow = 2000;
    // Entries held in memory while the storage is out of reach; past that
    // the oldest are given up.
    static constexpr std::size_t kMaxHeld = 10000;

    // Loads what an earlier run left, if the storage can be reached now.
    explicit Outbox(OutboxStorage& storage);
    // Closes (see close()) if that was not done since the last add.
    ~Outbox();
    Outbox(const Outbox&) = delete;
    Outbox& operator=(const Outbox&) = delete;

    // A message to deliver.  Stored first; held in memory when that fails.
    void add(MqttMessage message);

    struct ToSend {
        std::uint64_t key = 0;
        const MqttMessage* message = nullptr; // valid until the next call that changes the outbox
    };
    // Entries to publish now, oldest first, so that no more than
    // kMaxInFlight are unacknowledged.  Each must be reported with sent().
    std::vector<ToSend> nextToSend();
    // The entry went out under this message id.
    void sent(std::uint64_t key, int mid);
    // The publish call failed: the entry is sent again by a later nextToSend.
    void notSent(std::uint64_t key);
    // The broker acknowledged this message id (unknown ids are ignored).
    void acknowledged(int mid);
    // The message can never be published (the library or the broker refuses
    // it as malformed): it stays in the storage, but this outbox sends it no
    // more, so it does not hold up the ones behind it.
    void setAside(std::uint64_t key);
    // The connection ended: nothing in flight is acknowledged any more; all
    // is sent again from the oldest.
    void connectionLost();
    // Tries the storage again: held entries are stored, failed deletions
    // repeated, the next window loaded.  Cheap when all is well.
    void retryStorage();
    // Exit: deletions owed are made and the entries held in memory stored,
    // or kept by the storage for the next start (OutboxStorage::storeOnExit).
    // Returns the storage's line when any were not stored (say it: the
    // service prints it), else empty.  The outbox may be used on after it.
    std::string close();

    // Entries not yet acknowledged, in memory and in the storage beyond the window.
    std::size_t waitingInMemory() const { return items_.size() + held_.size(); }
    bool empty() const { return items_.empty() && held_.empty() && !unloaded_; }
    std::size_t inFlight() const { return byMid_.size(); }
    // Entries given up because the storage was out of reach too long.
    std::size_t dropped() const { return dropped_; }
    // Entries set aside, among those counted by waitingInMemory().
    std::size_t setAsideCount() const { return setAside_; }

private:
    struct Item {
        std::uint64_t key = 0;
        std::int64_t id = 0; // 0: held in memory only
        MqttMessage message;
        std::optional<int> mid;
        bool setAside = false;
    };
    void load();
    void storeHeld();
    void flushRemovals();
    void hold(Item item);
    Item* find(std::uint64_t key);

    OutboxStorage& storage_;
    std::deque<Item> items_; // stored entries, oldest first
    std::deque<Item> held_;  // entries the storage refused, newer than every stored one
    bool loaded_ = false;
    bool unloaded_ = false; // the storage has entries beyond items_
    std::int64_t lastLoadedId_ = 0;
    std::uint64_t nextKey_ = 1;
    std::unordered_map<int, std::uint64_t> byMid_;
    std::set<std::int64_t> acknowledgedIds_; // deletions still owed to the storage
    std::size_t dropped_ = 0;
    std::size_t setAside_ = 0;
};

} // namespace korvane
