#include "trends_reader.h"

#include "platform/files.h"
#include "turbine_store.h"

#include <ctime>
#include <sys/stat.h>

namespace korvane {

std::int64_t localDayStartUtc(int date) {
    std::tm t{};
    t.tm_year = date / 10000 - 1900;
    t.tm_mon = date / 100 % 100 - 1;
    t.tm_mday = date % 100;
    t.tm_isdst = -1; // let the zone say whether that midnight is summer time
    return static_cast<std::int64_t>(std::mktime(&t));
}

std::optional<std::vector<AlarmEventRow>> TrendsReader::alarms(DateRange range) {
    if (!followStore())
        return std::nullopt;
    // The day after the last one, found through mktime's normalising so
    // month ends and leap days need no rules here.
    std::tm next{};
    next.tm_year = range.to / 10000 - 1900;
    next.tm_mon = range.to / 100 % 100 - 1;
    next.tm_mday = range.to % 100 + 1;
    next.tm_isdst = -1;
    const std::int64_t end = static_cast<std::int64_t>(std::mktime(&next)) - 1;
    auto read = store_->alarmEvents(localDayStartUtc(range.from), end);
    if (!read)
        fail(store_->lastError());
    return read;
}

TrendsReader::TrendsReader(const std::string& appFolder)
    : path_(joinPath(appFolder, "/korvane.db")) {
    // HistoryStore::open creates and migrates what is missing; a window that
    // only looks must not leave an empty store behind, so an absent or
    // zero-length file (what an interrupted first start can leave) is "no
    // history" and is not opened at all.
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0 || (S_ISREG(info.st_mode) && info.st_size == 0)) {
        status_ = Status::NoHistory;
        problem_ = "No history yet: Korvane has not recorded any minutes in " + path_ + ".";
        return;
    }
    auto opened = HistoryStore::open(path_, 0, HistoryStore::OpenCheck::Quick);
    if (!opened.result.ok()) {
        status_ = Status::Failed;
        fail(opened.result);
        return;
    }
    store_ = std::move(opened.store);
}

TrendsReader::~TrendsReader() = default;

// A failed query leaves the status alone: the next range may read fine
// (a busy moment), so only the text changes.
void TrendsReader::fail(const StoreResult& r) {
    problem_ = "Cannot read the history store (" + path_ + "): " + r.text + ".";
}

std::optional<DateRange> TrendsReader::storedSpan() {
    if (!store_)
        return std::nullopt;
    const std::vector<DayTotal>* all = days({0, 99991231});
    if (!all || all->empty())
        return std::nullopt;
    return DateRange{all->front().date, all->back().date};
}

bool TrendsReader::followStore() {
    if (!store_ || !store_->movedAway())
        return store_ != nullptr;
    // The recorder set a damaged file aside and started a new one: what was
    // read from the old one is forgotten, and the new one is read from now on.
    daysRange_.reset();
    pointsRange_.reset();
    for (auto& kept : minutes_)
        kept.reset();
    auto opened = HistoryStore::open(path_, 0, HistoryStore::OpenCheck::Quick);
    store_ = std::move(opened.store);
    if (!store_)
        fail(opened.result);
    return store_ != nullptr;
}

const std::vector<DayTotal>* TrendsReader::days(DateRange range) {
    if (!followStore())
        return nullptr;
    if (daysRange_ == range)
        return &days_;
    auto read = store_->dayTotals(range.from, range.to);
    if (!read) {
        fail(store_->lastError());
        daysRange_.reset();
        return nullptr;
    }
    days_ = std::move(*read);
    daysRange_ = range;
    return &days_;
}

const std::vector<WindPowerPoint>* TrendsReader::points(DateRange range) {
    if (!followStore())
        return nullptr;
    if (pointsRange_ == range)
        return &points_;
    auto read = store_->windPowerPoints(range.from, range.to);
    if (!read) {
        fail(store_->lastError());
        pointsRange_.reset();
        return nullptr;
    }
    points_ = std::move(*read);
    pointsRange_ = range;
    return &points_;
}

} // namespace korvane

namespace korvane {

const std::vector<TurbineMinute>* TrendsReader::turbineMinutes(DateRange range) {
    if (!followStore())
        return nullptr;
    for (auto& kept : minutes_)
        if (kept && kept->range == range) {
            std::swap(kept, minutes_[0]);
            return &minutes_[0]->minutes;
        }
    std::string why;
    auto read = readTurbineMinutes(path_, range, &why);
    if (!read) {
        problem_ = why;
        return nullptr;
    }
    minutes_[1] = std::move(minutes_[0]);
    minutes_[0] = std::make_unique<Minutes>(Minutes{range, std::move(*read)});
    return &minutes_[0]->minutes;
}

} // namespace korvane
