// Which record the pointer reads, how its values are written, and when a
// drag zooms.

#include "history/cursor_readout.h"

#include <cmath>
#include <gtest/gtest.h>

namespace korvane {
namespace {

const FixedTimeFormats kTimes;

HistoryBuffer numbered(int count) {
    HistoryBuffer h;
    for (int k = 1; k <= count; ++k) {
        h.Volts[k] = k;
        h.Amps[k] = k;
        h.Watts[k] = k;
        h.Rpm[k] = k;
        h.WindSpeed[k] = k;
        h.Time[k] = k / 1440.0;
    }
    return h;
}

TEST(ReadoutSlots, FullViewReadsOneRecordPerUnitOfX) {
    struct Case {
        float x;
        double first;
        ReadoutSlots expected;
    };
    const Case cases[] = {
        {0.0f, 1, {1, 1}},
        {0.99f, 1, {1, 1}},
        {1.0f, 1, {2, 2}},
        {48.5f, 1, {49, 49}},
        // A zoomed view: the time takes the whole part of the sum, the
        // values the slot of the whole part of X plus the left edge.
        {0.7f, 10.4, {11, 10}},
        {0.2f, 10.6, {10, 11}},
        {0.0f, 37.5, {37, 38}},
        {1.0f, 37.5, {38, 38}},
        // Beyond the loaded records the slots are read as they are; only
        // the ends of the arrays limit them, as left of the plot in a drag.
        {60.0f, 1, {61, 61}},
        {9000.0f, 1000, {10000, 10000}},
        {9000.0f, 9000, {10000, 10000}},
        {-3.0f, 1, {0, 0}},
        {-1e30f, 1, {0, 0}},
        {1e30f, 1, {10000, 10000}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readoutSlots(c.x, c.first), c.expected) << "x " << c.x << " first " << c.first;
}

TEST(ReadoutAt, WritesRoundedValuesWithTheirUnits) {
    HistoryBuffer h = numbered(3);
    h.Volts[2] = 13.456;
    h.Amps[2] = -2.125;
    h.Watts[2] = 12.125;
    h.Rpm[2] = 350.5;
    h.WindSpeed[2] = 7.5;
    h.Time[2] = (14 * 60 + 5) / 1440.0;
    const HistoryTextForms forms{{'.'}, &kTimes, "km/h"};
    const auto r = readoutAt(h, 1.5f, 1, 3, forms);
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, (Readout{"14:05", "13.46 Volts", "-2.12 Amps", "12.12 Watts", "350.5 RPM",
                           "7.5 km/h"}));

    const HistoryTextForms comma{{','}, &kTimes, "mph"};
    EXPECT_EQ(readoutAt(h, 1.5f, 1, 3, comma)->vv, "13,46 Volts");
    EXPECT_EQ(readoutAt(h, 1.5f, 1, 3, comma)->sv, "7,5 mph");
}

TEST(ReadoutAt, SlotsPastTheRecordCountShowWhatTheyHold) {
    // An earlier query loaded 50 records, the last one 5.
    const HistoryBuffer h = numbered(50);
    const HistoryTextForms forms{{'.'}, &kTimes, "km/h"};
    const auto stale = readoutAt(h, 9.0f, 1, 5, forms);
    ASSERT_TRUE(stale);
    EXPECT_EQ(*stale, (Readout{"00:10", "10 Volts", "10 Amps", "10 Watts", "10 RPM", "10 km/h"}));
    EXPECT_EQ(readoutAt(h, 70.0f, 1, 5, forms),
              (Readout{"00:00", "0 Volts", "0 Amps", "0 Watts", "0 RPM", "0 km/h"}))
        << "never filled";
}

TEST(ReadoutAt, NeedsMoreThanOneRecord) {
    const HistoryBuffer h = numbered(2);
    const HistoryTextForms forms{{'.'}, &kTimes, "km/h"};
    EXPECT_FALSE(readoutAt(h, 0.5f, 1, 0, forms));
    EXPECT_FALSE(readoutAt(h, 0.5f, 1, 1, forms));
    EXPECT_FALSE(readoutAt(h, NAN, 1, 2, forms));
    EXPECT_TRUE(readoutAt(h, 0.5f, 1, 2, forms));
}

TEST(ZoomLastIndex, ZoomsOnlyOnAReleaseRightOfThePress) {
    struct Case {
        double first;
        float x;
        int count;
        std::optional<double> last;
    };
    const Case cases[] = {
        {10, 20.0f, 100, 20.0},
        {10.4f, 15.25f, 100, 15.25},
        {30, 25.0f, 100, std::nullopt},
        {30, 30.0f, 100, std::nullopt},
        {10, 20.0f, 1, std::nullopt},
        {10, 500.0f, 100, 100.0},         // released beyond the plot
        {100, 500.0f, 100, std::nullopt}, // nothing loaded to the right
        // Compared in single precision: 10.000000001 and 10 are the same press.
        {10.000000001, 10.0f, 100, std::nullopt},
        // Beyond the float range a press counts as an infinity.
        {1e300, 20.0f, 100, std::nullopt},
        {-1e300, 20.0f, 100, 20.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zoomLastIndex(c.first, c.x, c.count), c.last) << c.first << " -> " << c.x;
}

} // namespace
} // namespace korvane
