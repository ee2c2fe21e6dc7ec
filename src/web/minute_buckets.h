#pragma once
// Thins a long run of stored minutes to a point budget for a chart: the
// range is cut into equal buckets of whole minutes and each bucket's
// minutes are merged into one row, extremes kept, so a peak never vanishes.

#include "store/minute_aggregator.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvane {

inline constexpr std::size_t kMinutePointBudget = 2000;

class MinuteBuckets {
public:
    // Buckets of the range [fromTs, toTs] (UTC s): one minute wide when the
    // range has no more minutes than `budget`, else the fewest whole
    // minutes that keep the buckets within it.  Buckets start at fromTs.
    MinuteBuckets(std::int64_t fromTs, std::int64_t toTs, std::size_t budget = kMinutePointBudget);

    // Minutes must come oldest first; those outside the range are ignored.
    void add(const MinuteSummary& minute);
    // The buckets that hold minutes, oldest first: ts is the bucket's start,
    // date the first minute's, the rest as mergeMinutes combines them.
    std::vector<MinuteSummary> finish();

    std::int64_t bucketSeconds() const { return bucketSeconds_; }
    std::int64_t minutesAdded() const { return added_; }

private:
    std::int64_t fromTs_, toTs_, bucketSeconds_;
    std::int64_t added_ = 0;
    std::int64_t openBucket_ = -1;
    MinuteSummary open_;
    std::vector<MinuteSummary> rows_;
};

} // namespace korvane
