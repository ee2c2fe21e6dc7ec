#include "minute_buckets.h"

#include <algorithm>

namespace korvane {

MinuteBuckets::MinuteBuckets(std::int64_t fromTs, std::int64_t toTs, std::size_t budget)
    : fromTs_(fromTs), toTs_(toTs), bucketSeconds_(60) {
    const std::int64_t minutes = std::max<std::int64_t>(0, (toTs - fromTs) / 60 + 1);
    const auto b = static_cast<std::int64_t>(std::max<std::size_t>(budget, 1));
    if (minutes > b)
        bucketSeconds_ = 60 * ((minutes + b - 1) / b);
    rows_.reserve(static_cast<std::size_t>(std::min(minutes, b)));
}

void MinuteBuckets::add(const MinuteSummary& minute) {
    if (minute.ts < fromTs_ || minute.ts > toTs_)
        return;
    ++added_;
    const std::int64_t bucket = (minute.ts - fromTs_) / bucketSeconds_;
    if (bucket == openBucket_) {
        open_ = mergeMinutes(open_, minute);
        return;
    }
    if (openBucket_ >= 0)
        rows_.push_back(open_);
    openBucket_ = bucket;
    open_ = minute;
    open_.ts = fromTs_ + bucket * bucketSeconds_;
}

std::vector<MinuteSummary> MinuteBuckets::finish() {
    if (openBucket_ >= 0)
        rows_.push_back(open_);
    openBucket_ = -1;
    return std::move(rows_);
}

} // namespace korvane
