#include "live_snapshot.h"

#include <utility>

namespace korvane {

SnapshotBoard::SnapshotBoard() : latest_(std::make_shared<const LiveSnapshot>()) {}

std::uint64_t SnapshotBoard::publish(LiveSnapshot snapshot) {
    // The copy is made before the lock so the UI thread holds it only for
    // the swap; the old snapshot is freed outside it too.
    auto fresh = std::make_shared<LiveSnapshot>(std::move(snapshot));
    std::shared_ptr<const LiveSnapshot> old;
    std::uint64_t seq = 0;
    {
        std::lock_guard lock(mutex_);
        seq = ++seq_;
        fresh->seq = seq;
        old = std::exchange(latest_, std::move(fresh));
    }
    changed_.notify_all();
    return seq;
}

std::shared_ptr<const LiveSnapshot> SnapshotBoard::current() const {
    std::lock_guard lock(mutex_);
    return latest_;
}

std::shared_ptr<const LiveSnapshot> SnapshotBoard::waitNewer(std::uint64_t afterSeq,
                                                             std::chrono::milliseconds timeout,
                                                             std::stop_token stop) const {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, stop, timeout, [&] { return latest_->seq > afterSeq; });
    return latest_;
}

bool SnapshotBoard::sleepFor(std::chrono::milliseconds duration, std::stop_token stop) const {
    // A condition nobody notifies: only the stop request ends the sleep
    // early, so ten publishes a second do not wake every resting stream ten
    // times a second.
    std::mutex idle;
    std::condition_variable_any never;
    std::unique_lock lock(idle);
    never.wait_for(lock, stop, duration, [] { return false; });
    return !stop.stop_requested();
}

} // namespace korvane
