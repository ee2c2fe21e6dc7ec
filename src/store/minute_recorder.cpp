#include "minute_recorder.h"

#include "day_date.h"
#include "pending_file.h"
#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace korvane {

MinuteRecorder::MinuteRecorder(std::string dbPath, std::int64_t utcMs, const std::string& day)
    : path_(std::move(dbPath)), latestDate_(dateOfDayKey(day)), lastEventMs_(utcMs) {
    if (latestDate_ == 0)
        latestDate_ = utcDateOf(utcMs / 1000);
    tryOpen(utcMs);
}

MinuteRecorder::~MinuteRecorder() {
    close(lastEventMs_);
}

void MinuteRecorder::packet(const Reading& reading, std::int64_t utcMs, const std::string& day) {
    lastEventMs_ = utcMs;
    if (auto m = aggregator_.packet(reading, utcMs, day))
        ended(*m, utcMs);
    else if (pending() && due(utcMs))
        service(utcMs);
}

void MinuteRecorder::energy(double whAdded, std::int64_t utcMs, const std::string& day) {
    lastEventMs_ = utcMs;
    if (auto m = aggregator_.energy(whAdded, utcMs, day))
        ended(*m, utcMs);
    else if (pending() && due(utcMs))
        service(utcMs);
}

void MinuteRecorder::alarmEvent(const AlarmEventRow& event, std::int64_t utcMs) {
    lastEventMs_ = utcMs;
    if (heldEvents_.size() >= kMaxHeldEvents)
        heldEvents_.pop_front();
    heldEvents_.push_back(event);
    followMove();
    if (store_ && held_.empty())
        flushEvents(utcMs);
}

void MinuteRecorder::poll(std::int64_t utcMs) {
    if (pending() && due(utcMs))
        service(utcMs);
}

void MinuteRecorder::flushEvents(std::int64_t utcMs) {
    if (heldEvents_.empty() || !store_)
        return;
    const std::vector<AlarmEventRow> events(heldEvents_.begin(), heldEvents_.end());
    const StoreResult result = store_->recordAlarmEvents(events);
    if (result.ok())
        heldEvents_.clear();
    else
        fail(result, "write", utcMs);
}

void MinuteRecorder::close(std::int64_t utcMs) {
    if (auto m = aggregator_.close(utcMs))
        ended(*m, utcMs);
    followMove();
    if (store_ || tryOpen(utcMs)) {
        while (!held_.empty() && store_ && flushBatch(utcMs)) {
        }
        if (held_.empty())
            flushEvents(utcMs);
    }
    if (!held_.empty() || !heldEvents_.empty())
        keepPending(utcMs);
}

void MinuteRecorder::keepPending(std::int64_t utcMs) {
    PendingRecords kept;
    kept.minutes.assign(held_.begin(), held_.end());
    kept.alarmEvents.assign(heldEvents_.begin(), heldEvents_.end());
    const std::string path = pendingFilePath(path_, utcMs);
    const std::string what = pendingCountText(kept.minutes.size(), kept.alarmEvents.size(), 0);
    const std::string name = std::filesystem::path(path).filename().string();
    const int error = korvane::keepPending(path, kept);
    if (error != 0) {
        // They stay in memory: a later close (the destructor's) tries again.
        notKept_ = "; at the exit " + what + " could not be kept in " + name + " either (" +
                   errorText(error) + ")";
        return;
    }
    notice_ = "History store " + path_ + " could not be written (" + fault_.text + "); " + what +
              " kept in " + name + ", to be written into the store at the next start";
    held_.clear();
    heldEvents_.clear();
    fault_ = {};
    notKept_.clear();
}

double MinuteRecorder::energyOfDay(const std::string& day) {
    const int date = dateOfDayKey(day);
    double wh = 0;
    if (store_)
        wh += store_->energyOfDate(date).value_or(0.0);
    for (const MinuteSummary& m : held_)
        if (m.date == date)
            wh += m.wh;
    if (aggregator_.open() && aggregator_.date() == date)
        wh += aggregator_.wh();
    return wh;
}

std::string MinuteRecorder::problem() const {
    if (fault_.ok())
        return {};
    std::string text;
    switch (fault_.status) {
    case StoreStatus::Busy:
        text = "History store " + path_ + " is locked by another program";
        break;
    case StoreStatus::TooNew:
        text = "History store " + path_ + " was " + fault_.text + ", left untouched";
        break;
    case StoreStatus::Corrupt:
        text =
            "History store " + path_ + " is damaged and cannot be set aside (" + fault_.text + ")";
        break;
    default:
        text = std::string("Cannot ") + faultAction_ + " history store " + path_ + " (" +
               fault_.text + ")";
        break;
    }
    text += "; retrying, " + std::to_string(held_.size()) +
            (held_.size() == 1 ? " minute" : " minutes") + " kept in memory";
    if (dropped_ > 0)
        text += ", " + std::to_string(dropped_) + " oldest dropped";
    return text + notKept_;
}

void MinuteRecorder::ended(const MinuteSummary& m, std::int64_t utcMs) {
    if (m.ts < kEarliestTs || m.ts >= kLatestTs) {
        if (refused_++ == 0) {
            const std::time_t t = static_cast<std::time_t>(m.ts);
            std::tm utc{};
            gmtime_r(&t, &utc);
            char when[32];
            std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &utc);
            notice_ = std::string("History store: minutes dated ") + when +
                      " UTC are not stored (before 2000 or after 2099): check the computer's "
                      "clock";
        }
        if (due(utcMs))
            service(utcMs);
        return;
    }
    latestDate_ = m.date;
    if (held_.size() >= kMaxHeldMinutes) {
        held_.pop_front();
        ++dropped_;
    }
    held_.push_back(m);
    if (due(utcMs))
        service(utcMs);
}

bool MinuteRecorder::due(std::int64_t utcMs) const {
    // A clock set back must not postpone the retry by the size of the jump.
    return utcMs >= nextTryMs_ || nextTryMs_ - utcMs > kLaterRetryMs;
}

void MinuteRecorder::service(std::int64_t utcMs) {
    followMove();
    if (!store_ && !tryOpen(utcMs))
        return;
    if (!held_.empty())
        flushBatch(utcMs);
    // Events go after the minutes they happened in.
    if (held_.empty())
        flushEvents(utcMs);
}

void MinuteRecorder::fail(const StoreResult& result, const char* action, std::int64_t utcMs) {
    fault_ = result;
    faultAction_ = action;
    nextTryMs_ = utcMs + (failures_ == 0 ? kFirstRetryMs : kLaterRetryMs);
    ++failures_;
}

void MinuteRecorder::followMove() {
    if (!store_ || !store_->movedAway())
        return;
    // Someone moved or deleted the file in use: writing on would land in a
    // file nobody reads.  The next write opens (or starts) the one at the path.
    store_.reset();
    notice_ = "History store " + path_ + " was moved away while in use; a new one was started";
}

void MinuteRecorder::importPending() {
    const PendingImport done = importPendingFiles(*store_);
    if (done.files == 0)
        return;
    notice_ = "History store " + path_ + " took in what an earlier exit kept in " + done.firstName +
              (done.files > 1 ? " and later files" : "") + ": " +
              pendingCountText(done.minutes, done.alarmEvents, done.messages);
}

bool MinuteRecorder::tryOpen(std::int64_t utcMs) {
    // The whole file is read once, at start-up: on a later reopen it would
    // hold up the window for about 150 ms a year of minutes, every retry.
    const auto check = checked_ ? HistoryStore::OpenCheck::Quick : HistoryStore::OpenCheck::Full;
    checked_ = true;
    auto opened = HistoryStore::open(path_, latestDate_, check);
    if (opened.result.status == StoreStatus::Corrupt) {
        if (!setAside(utcMs)) {
            fail(opened.result, "open", utcMs);
            return false;
        }
        opened = HistoryStore::open(path_, latestDate_, HistoryStore::OpenCheck::Quick);
    }
    if (!opened.result.ok()) {
        fail(opened.result, "open", utcMs);
        return false;
    }
    store_ = std::move(opened.store);
    importPending();
    if (held_.empty()) {
        fault_ = {};
        failures_ = 0;
        nextTryMs_ = 0;
    }
    return true;
}

bool MinuteRecorder::flushBatch(std::int64_t utcMs) {
    const std::size_t n = std::min(held_.size(), kMaxMinutesPerCommit);
    batch_.assign(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(n));
    const StoreResult result = store_->commitMinutes(batch_);
    if (result.ok()) {
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(n));
        if (held_.empty()) {
            fault_ = {};
            failures_ = 0;
            nextTryMs_ = 0;
        }
        return true;
    }
    if (result.status == StoreStatus::Busy) {
        fail(result, "write", utcMs);
        return false;
    }
    // A damaged file is set aside right away; after any other failure (disk
    // full) the store is reopened at the next try.
    store_.reset();
    if (result.status == StoreStatus::Corrupt && setAside(utcMs) && tryOpen(utcMs)) {
        nextTryMs_ = utcMs; // the held minutes go into the new file at the next call
        return true;
    }
    fail(result, "write", utcMs);
    return false;
}

namespace {

// "korvane-corrupt-2026-12-08-143000.db" beside "korvane.db"; "-2", "-3" ..
// if that name is taken.
std::filesystem::path asideName(const std::filesystem::path& db, std::int64_t utcMs) {
    const std::string base = db.stem().string() + "-corrupt-" + localFileStamp(utcMs);
    std::filesystem::path candidate = db.parent_path() / (base + db.extension().string());
    std::error_code ec;
    for (int k = 2; std::filesystem::exists(candidate, ec) && k < 1000; ++k)
        candidate = db.parent_path() / (base + "-" + std::to_string(k) + db.extension().string());
    return candidate;
}

} // namespace

bool MinuteRecorder::setAside(std::int64_t utcMs) {
    const std::filesystem::path db(path_);
    const std::filesystem::path aside = asideName(db, utcMs);
    if (std::rename(path_.c_str(), aside.c_str()) != 0)
        return false;
    // The WAL may hold the newest pages: it goes with its file, never away.
    for (const char* suffix : {"-wal", "-shm"}) {
        const std::string from = path_ + suffix;
        const std::string to = aside.string() + suffix;
        std::rename(from.c_str(), to.c_str());
    }
    notice_ = "History store " + path_ + " was damaged; it is kept as " +
              aside.filename().string() + " and a new one was started";
    return true;
}

} // namespace korvane
