#include "web/minute_buckets.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

MinuteSummary minuteAt(std::int64_t ts, double watts, double wh) {
    MinuteSummary m;
    m.ts = ts;
    m.date = 20261209;
    m.packets = 6;
    m.volts = {12.5, 13, 13.5};
    m.watts = {watts / 2, watts, watts * 1.5};
    m.windMean = 5;
    m.windMax = 7;
    m.loadOnMs = 1000;
    m.wh = wh;
    return m;
}

TEST(MinuteBuckets, ADayFitsTheBudgetAndIsPassedThroughMinuteByMinute) {
    const std::int64_t day = 1796774400;
    MinuteBuckets b(day, day + 86399);
    EXPECT_EQ(b.bucketSeconds(), 60);
    for (int i = 0; i < 1440; ++i)
        b.add(minuteAt(day + i * 60, 100, 1));
    b.add(minuteAt(day + 86400, 100, 1)); // the next day: not this range
    const auto rows = b.finish();
    EXPECT_EQ(rows.size(), 1440u);
    EXPECT_EQ(b.minutesAdded(), 1440);
    EXPECT_EQ(rows[17], minuteAt(day + 17 * 60, 100, 1));
}

TEST(MinuteBuckets, ThirtyDaysKeepThePeakAndTheEnergyWithinTheBudget) {
    const std::int64_t from = 1796774400;
    const std::int64_t to = from + 30 * 86400 - 1; // 43,200 minutes
    MinuteBuckets b(from, to, 2000);
    EXPECT_EQ(b.bucketSeconds(), 22 * 60); // 43,200 / 2000 = 21.6 -> 22 minutes
    double wh = 0;
    for (int i = 0; i < 43200; ++i) {
        const double watts = i == 30001 ? 900 : 100; // one gust
        b.add(minuteAt(from + i * 60LL, watts, 0.5));
        wh += 0.5;
    }
    const auto rows = b.finish();
    ASSERT_EQ(rows.size(), 1964u); // ceil(43,200 / 22)
    double sum = 0, peak = 0;
    std::int64_t packets = 0;
    for (const auto& r : rows) {
        sum += r.wh;
        packets += r.packets;
        peak = std::max(peak, r.watts.max);
        EXPECT_EQ((r.ts - from) % (22 * 60), 0);
    }
    EXPECT_DOUBLE_EQ(sum, wh);
    EXPECT_EQ(packets, 6 * 43200);
    EXPECT_DOUBLE_EQ(peak, 1350);
    // The gust's bucket: 30001 / 22 = bucket 1363, starting at minute 29986.
    EXPECT_EQ(rows[1363].ts, from + 29986 * 60);
    EXPECT_DOUBLE_EQ(rows[1363].watts.max, 1350);
    EXPECT_DOUBLE_EQ(rows[1363].watts.min, 50);
    EXPECT_NEAR(rows[1363].watts.mean, (21 * 100 + 900) / 22.0, 1e-9);
    EXPECT_EQ(rows[1363].loadOnMs, 22000);
}

TEST(MinuteBuckets, GapsStayGapsAndEnergyOnlyMinutesDoNotPullTheMeans) {
    const std::int64_t from = 0;
    MinuteBuckets b(from, 3 * 86400 - 1, 100); // 4320 minutes -> 44-minute buckets
    ASSERT_EQ(b.bucketSeconds(), 44 * 60);
    MinuteSummary energyOnly;
    energyOnly.ts = 0;
    energyOnly.wh = 2;
    b.add(energyOnly);
    b.add(minuteAt(60, 200, 1));
    b.add(minuteAt(2 * 86400, 50, 1)); // nothing in between
    const auto rows = b.finish();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].packets, 6);
    EXPECT_DOUBLE_EQ(rows[0].watts.mean, 200);
    EXPECT_DOUBLE_EQ(rows[0].wh, 3);
    EXPECT_EQ(rows[1].ts, 2 * 86400 / (44 * 60) * (44 * 60));
}

} // namespace
} // namespace korvane
