#include "outbox.h"

#include <algorithm>

namespace korvane {

std::optional<std::int64_t> MemoryOutboxStorage::append(const MqttMessage& message) {
    if (!reachable)
        return std::nullopt;
    entries.push_back({++lastId_, message});
    return lastId_;
}

std::optional<std::vector<OutboxEntry>> MemoryOutboxStorage::after(std::int64_t afterId,
                                                                   std::size_t limit) {
    if (!reachable)
        return std::nullopt;
    std::vector<OutboxEntry> out;
    for (const OutboxEntry& e : entries)
        if (e.id > afterId && out.size() < limit)
            out.push_back(e);
    return out;
}

bool MemoryOutboxStorage::remove(const std::vector<std::int64_t>& ids) {
    if (!reachable)
        return false;
    std::erase_if(entries, [&ids](const OutboxEntry& e) {
        return std::find(ids.begin(), ids.end(), e.id) != ids.end();
    });
    return true;
}

std::string MemoryOutboxStorage::storeOnExit(const std::vector<MqttMessage>& messages) {
    if (messages.empty())
        return {};
    if (reachable) {
        for (const MqttMessage& m : messages)
            append(m);
        return {};
    }
    keptAside.insert(keptAside.end(), messages.begin(), messages.end());
    return std::to_string(messages.size()) + " messages kept aside";
}

Outbox::Outbox(OutboxStorage& storage) : storage_(storage) {
    load();
}

Outbox::~Outbox() {
    close();
}

std::string Outbox::close() {
    storage_.upkeep();
    flushRemovals();
    if (held_.empty())
        return {};
    std::vector<MqttMessage> messages;
    messages.reserve(held_.size());
    for (Item& i : held_) {
        if (i.mid)
            byMid_.erase(*i.mid);
        if (i.setAside)
            --setAside_;
        messages.push_back(std::move(i.message));
    }
    held_.clear();
    // Stored now or at the next start, they are the storage's to load.
    unloaded_ = true;
    return storage_.storeOnExit(messages);
}

void Outbox::load() {
    const std::size_t room = kWindow > items_.size() ? kWindow - items_.size() : 0;
    if (room == 0)
        return;
    auto rows = storage_.after(lastLoadedId_, room);
    if (!rows)
        return;
    loaded_ = true;
    unloaded_ = rows->size() == room;
    for (OutboxEntry& e : *rows) {
        lastLoadedId_ = std::max(lastLoadedId_, e.id);
        if (acknowledgedIds_.contains(e.id))
            continue;
        items_.push_back({nextKey_++, e.id, std::move(e.message), std::nullopt});
    }
}

void Outbox::hold(Item item) {
    // Only what is not in flight can be given up without confusing a late
    // acknowledgement.
    while (held_.size() >= kMaxHeld) {
        const auto victim =
            std::find_if(held_.begin(), held_.end(), [](const Item& i) { return !i.mid; });
        if (victim == held_.end())
            break;
        held_.erase(victim);
        ++dropped_;
    }
    held_.push_back(std::move(item));
}

void Outbox::add(MqttMessage message) {
    retryStorage();
    Item item{nextKey_++, 0, std::move(message), std::nullopt};
    // Behind held entries a new one must wait its turn in memory, or it
    // would be stored (and sent) ahead of them.
    if (!held_.empty() || !loaded_) {
        hold(std::move(item));
        return;
    }
    const auto id = storage_.append(item.message);
    if (!id) {
        hold(std::move(item));
        return;
    }
    if (!unloaded_ && items_.size() < kWindow) {
        item.id = *id;
        lastLoadedId_ = *id;
        items_.push_back(std::move(item));
    } else {
        unloaded_ = true;
    }
}

void Outbox::storeHeld() {
    while (!held_.empty()) {
        const auto id = storage_.append(held_.front().message);
        if (!id)
            return;
        Item item = std::move(held_.front());
        held_.pop_front();
        // An entry in flight stays in memory so its acknowledgement finds it.
        if (item.mid || (!unloaded_ && items_.size() < kWindow)) {
            item.id = *id;
            lastLoadedId_ = std::max(lastLoadedId_, *id);
            items_.push_back(std::move(item));
        } else {
            // Loaded again later, it is sent (and set aside) afresh.
            if (item.setAside)
                --setAside_;
            unloaded_ = true;
        }
    }
}

void Outbox::flushRemovals() {
    if (acknowledgedIds_.empty())
        return;
    const std::vector<std::int64_t> ids(acknowledgedIds_.begin(), acknowledgedIds_.end());
    if (storage_.remove(ids))
        acknowledgedIds_.clear();
}

void Outbox::retryStorage() {
    storage_.upkeep();
    flushRemovals();
    if (!loaded_ || (unloaded_ && items_.size() < kWindow / 2))
        load();
    if (loaded_ && !held_.empty())
        storeHeld();
}

std::vector<Outbox::ToSend> Outbox::nextToSend() {
    std::vector<ToSend> out;
    std::size_t room = kMaxInFlight > byMid_.size() ? kMaxInFlight - byMid_.size() : 0;
    auto take = [&](const std::deque<Item>& from) {
        for (const Item& i : from) {
            if (room == 0)
                return;
            if (!i.mid && !i.setAside) {
                out.push_back({i.key, &i.message});
                --room;
            }
        }
    };
    take(items_);
    // Held entries are newer than everything stored, including what is
    // still waiting in the storage beyond the window.
    if (!unloaded_)
        take(held_);
    return out;
}

Outbox::Item* Outbox::find(std::uint64_t key) {
    for (auto* q : {&items_, &held_})
        for (Item& i : *q)
            if (i.key == key)
                return &i;
    return nullptr;
}

void Outbox::sent(std::uint64_t key, int mid) {
    if (Item* i = find(key)) {
        i->mid = mid;
        byMid_[mid] = key;
    }
}

void Outbox::notSent(std::uint64_t key) {
    if (Item* i = find(key)) {
        if (i->mid)
            byMid_.erase(*i->mid);
        i->mid.reset();
    }
}

void Outbox::setAside(std::uint64_t key) {
    Item* i = find(key);
    if (!i || i->setAside)
        return;
    if (i->mid)
        byMid_.erase(*i->mid);
    i->mid.reset();
    i->setAside = true;
    ++setAside_;
}

void Outbox::acknowledged(int mid) {
    const auto it = byMid_.find(mid);
    if (it == byMid_.end())
        return;
    const std::uint64_t key = it->second;
    byMid_.erase(it);
    for (auto* q : {&items_, &held_}) {
        const auto pos =
            std::find_if(q->begin(), q->end(), [key](const Item& i) { return i.key == key; });
        if (pos == q->end())
            continue;
        if (pos->id != 0)
            acknowledgedIds_.insert(pos->id);
        q->erase(pos);
        break;
    }
    // Deletions go in batches: a backlog acknowledged after an outage must
    // not cost one disk sync per message.
    if (acknowledgedIds_.size() >= kMaxInFlight)
        flushRemovals();
    if (unloaded_ && items_.size() < kWindow / 2)
        load();
}

void Outbox::connectionLost() {
    byMid_.clear();
    for (auto* q : {&items_, &held_})
        for (Item& i : *q)
            i.mid.reset();
}

} // namespace korvane
