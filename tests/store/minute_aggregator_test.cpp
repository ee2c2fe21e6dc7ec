// Summing packets and energy into minutes: where a minute ends, what it
// holds, how load-on time is counted and how a repeated minute merges.

#include "store/day_date.h"
#include "store/minute_aggregator.h"

#include <gtest/gtest.h>
#include <vector>

namespace korvane {
namespace {

// 2026-12-08 14:30:00 UTC.
constexpr std::int64_t kT0 = 1796740200000;
constexpr std::int64_t kSec = 1000;
const std::string kDay = "2026_12_8";

Reading reading(double volts, double amps, double watts, double rpm, double wind, int mode) {
    return {volts, amps, watts, rpm, wind, static_cast<std::int16_t>(mode)};
}

TEST(DayKeys, ReadOnlyTheLogFileSpelling) {
    const struct {
        const char* text;
        int date;
    } cases[] = {
        {"2026_12_8", 20261208},
        {"2024_2_29", 20240229},
        {"100_1_1", 1000101},
        {"2026_12_08", 0},
        {"2026_2_29", 0},
        {"2026_13_1", 0},
        {"2026_0_1", 0},
        {"99_1_1", 0},
        {"2026_1_1x", 0},
        {"2026-1-1", 0},
        {"", 0},
        {"12026_1_1", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dateOfDayKey(c.text), c.date) << c.text;
    EXPECT_EQ(dayKeyOfDate(20261208), "2026_12_8");
    EXPECT_EQ(dayKeyOfDate(20260101), "2026_1_1");
    EXPECT_EQ(utcDateOf(kT0 / 1000), 20261208);
    EXPECT_EQ(utcDateOf(-1), 19691231);
}

TEST(MinuteAggregator, AMinuteEndsAtTheFirstEventOfAnotherMinute) {
    // Offsets from kT0 in ms; which ones end a minute, and that minute's start.
    const struct {
        std::int64_t at;
        std::optional<std::int64_t> endsMinuteStartingAt; // offset in s
    } events[] = {
        {0, std::nullopt}, {59 * kSec + 999, std::nullopt},
        {60 * kSec, 0},    {61 * kSec, std::nullopt},
        {30 * kSec, 60}, // clock set back
        {185 * kSec, 0},   {185 * kSec, std::nullopt},
    };
    MinuteAggregator agg;
    for (const auto& e : events) {
        const auto ended = agg.packet(reading(12, 1, 12, 100, 5, 0), kT0 + e.at, kDay);
        ASSERT_EQ(ended.has_value(), e.endsMinuteStartingAt.has_value()) << e.at;
        if (ended) {
            EXPECT_EQ(ended->ts, kT0 / 1000 + *e.endsMinuteStartingAt) << e.at;
        }
    }
    const auto last = agg.close(kT0 + 190 * kSec);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->ts, kT0 / 1000 + 180);
    EXPECT_EQ(last->packets, 2);
    EXPECT_FALSE(agg.close(kT0 + 200 * kSec));
}

TEST(MinuteAggregator, SummarisesTheMinutesPackets) {
    MinuteAggregator agg;
    agg.packet(reading(12.0, -1.5, 20, 300, 4.0, 0), kT0, kDay);
    agg.packet(reading(13.5, 2.5, 60, 500, 8.5, 0), kT0 + 20 * kSec, kDay);
    agg.packet(reading(12.6, 0.5, 10, 100, 6.0, 0), kT0 + 40 * kSec, kDay);
    agg.energy(0.25, kT0 + 45 * kSec, kDay);
    agg.energy(0.5, kT0 + 50 * kSec, kDay);
    const auto m = agg.energy(0.125, kT0 + 60 * kSec, kDay);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->date, 20261208);
    EXPECT_EQ(m->packets, 3);
    EXPECT_DOUBLE_EQ(m->volts.min, 12.0);
    EXPECT_DOUBLE_EQ(m->volts.mean, 12.7);
    EXPECT_DOUBLE_EQ(m->volts.max, 13.5);
    EXPECT_DOUBLE_EQ(m->amps.min, -1.5);
    EXPECT_DOUBLE_EQ(m->amps.mean, 0.5);
    EXPECT_DOUBLE_EQ(m->amps.max, 2.5);
    EXPECT_DOUBLE_EQ(m->watts.mean, 30);
    EXPECT_DOUBLE_EQ(m->rpmMean, 300);
    EXPECT_DOUBLE_EQ(m->rpmMax, 500);
    EXPECT_DOUBLE_EQ(m->windMean, 6.166666666666667);
    EXPECT_DOUBLE_EQ(m->windMax, 8.5);
    EXPECT_DOUBLE_EQ(m->wh, 0.75); // the 0.125 belongs to the next minute
    EXPECT_DOUBLE_EQ(agg.wh(), 0.125);
}

TEST(MinuteAggregator, LoadOnHoldsUntilTheNextPacketTheMinuteEndOrTenSeconds) {
    struct Packet {
        int atSec;
        int mode;
    };
    const struct {
        const char* name;
        std::vector<Packet> packets;
        std::int64_t loadOnMs;
    } cases[] = {
        {"steady 2 s packets", {{0, 1}, {2, 1}, {4, 1}, {6, 0}}, 6000},
        {"silent board after one packet", {{10, 1}}, 10000},
        {"minute end cuts the hold", {{55, 1}}, 5000},
        {"gap longer than ten seconds", {{0, 1}, {30, 0}, {45, 1}}, 20000},
        {"mode 0 and bad modes add nothing", {{0, 0}, {10, -1}, {20, 0}}, 0},
        {"clock set back inside the minute", {{30, 1}, {20, 0}}, 0},
    };
    for (const auto& c : cases) {
        MinuteAggregator agg;
        for (const Packet& p : c.packets)
            agg.packet(reading(12, 1, 12, 0, 0, p.mode), kT0 + p.atSec * kSec, kDay);
        const auto m = agg.energy(0, kT0 + 70 * kSec, kDay);
        ASSERT_TRUE(m) << c.name;
        EXPECT_EQ(m->loadOnMs, c.loadOnMs) << c.name;
    }
}

TEST(MinuteAggregator, CloseHoldsTheLastModeOnlyUntilTheCloseTime) {
    MinuteAggregator agg;
    agg.packet(reading(12, 1, 12, 0, 0, 1), kT0 + 10 * kSec, kDay);
    const auto m = agg.close(kT0 + 13 * kSec);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->loadOnMs, 3000);
}

TEST(MinuteAggregator, MinuteWithOnlyEnergyHasNoPacketStatistics) {
    MinuteAggregator agg;
    agg.energy(0.5, kT0 + 3 * kSec, kDay);
    agg.energy(0.25, kT0 + 8 * kSec, kDay);
    const auto m = agg.close(kT0 + 9 * kSec);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->packets, 0);
    EXPECT_DOUBLE_EQ(m->wh, 0.75);
    EXPECT_EQ(m->volts, Spread{});
    EXPECT_EQ(m->loadOnMs, 0);
}

TEST(MinuteAggregator, AtMidnightEachMinuteKeepsTheDayOfItsFirstEvent) {
    // Local midnight as the caller sees it: the day key changes with the
    // minute, and energy reported either side of the edge stays on its side.
    MinuteAggregator agg;
    agg.energy(1.0, kT0 + 50 * kSec, "2026_12_8");
    agg.packet(reading(12, 1, 12, 0, 0, 0), kT0 + 58 * kSec, "2026_12_9"); // late day key
    const auto before = agg.energy(2.0, kT0 + 60 * kSec, "2026_12_9");
    const auto after = agg.close(kT0 + 61 * kSec);
    ASSERT_TRUE(before && after);
    EXPECT_EQ(before->date, 20261208);
    EXPECT_DOUBLE_EQ(before->wh, 1.0);
    EXPECT_EQ(after->date, 20261209);
    EXPECT_DOUBLE_EQ(after->wh, 2.0);
}

TEST(MinuteAggregator, ADayKeyThatIsNotOneFallsBackToTheUtcDate) {
    MinuteAggregator agg;
    agg.energy(1.0, kT0, "Tuesday");
    EXPECT_EQ(agg.close(kT0 + kSec)->date, 20261208);
}

TEST(MergeMinutes, AddsCountsCombinesExtremesAndWeightsMeans) {
    MinuteSummary a;
    a.ts = 600;
    a.date = 20261208;
    a.packets = 2;
    a.volts = {11, 12, 13};
    a.rpmMean = 100, a.rpmMax = 150, a.windMean = 4, a.windMax = 6;
    a.loadOnMs = 4000;
    a.wh = 1;
    MinuteSummary b = a;
    b.date = 20261209;
    b.packets = 6;
    b.volts = {12, 14, 15};
    b.rpmMean = 200, b.rpmMax = 120, b.windMean = 8, b.windMax = 9;
    b.loadOnMs = 1500;
    b.wh = 0.5;
    const MinuteSummary m = mergeMinutes(a, b);
    EXPECT_EQ(m.date, 20261208);
    EXPECT_EQ(m.packets, 8);
    EXPECT_EQ(m.volts, (Spread{11, 13.5, 15}));
    EXPECT_DOUBLE_EQ(m.rpmMean, 175);
    EXPECT_DOUBLE_EQ(m.rpmMax, 150);
    EXPECT_DOUBLE_EQ(m.windMean, 7);
    EXPECT_DOUBLE_EQ(m.windMax, 9);
    EXPECT_EQ(m.loadOnMs, 5500);
    EXPECT_DOUBLE_EQ(m.wh, 1.5);

    // A side without packets contributes its energy and nothing else.
    MinuteSummary energyOnly;
    energyOnly.ts = 600;
    energyOnly.wh = 0.25;
    const MinuteSummary e = mergeMinutes(energyOnly, b);
    EXPECT_EQ(e.volts, b.volts);
    EXPECT_DOUBLE_EQ(e.windMax, 9);
    EXPECT_DOUBLE_EQ(e.wh, 0.75);
    EXPECT_EQ(mergeMinutes(b, energyOnly).volts, b.volts);
}

} // namespace
} // namespace korvane
