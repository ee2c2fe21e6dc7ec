// The turbine's estimated output and its performance index, with answers
// worked out by hand.

#include "platform/files.h"
#include "store_fixture.h"
#include "support/temp_dir.h"
#include "trends/performance_index.h"
#include "trends/power_curve_view.h"
#include "trends/turbine_store.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace korvane {
namespace {

TurbineMinute minute(int date, double wind, double watts, double volts = 12.5, double loadOnS = 0) {
    return {date, static_cast<float>(wind), static_cast<float>(watts), static_cast<float>(volts),
            static_cast<float>(loadOnS)};
}

TEST(TurbineOutput, AddsWhatTheLoadAndTheRestDrewToTheNetWatts) {
    const struct {
        float watts, volts, loadOnS;
        double loadAmps, idleAmps, output;
    } rows[] = {
        {50, 12.5, 30, 8, 0.4, 105}, // 50 + 12.5 x (8 x 1/2 + 0.4)
        {-100, 12.5, 60, 8, 0, 0},   // a calm minute with the load on makes nothing
        {50, 12.5, 30, 0, 0, 50},    // no currents: the net watts exactly
        {20, 13, 0, 9, 0.5, 26.5},   // load off: only the other draw
        {0, 14, 90, 10, 0, 140},     // load-on time beyond the minute counts as the minute
    };
    for (const auto& r : rows)
        EXPECT_DOUBLE_EQ(
            turbineOutput(minute(0, 5, r.watts, r.volts, r.loadOnS), r.loadAmps, r.idleAmps),
            r.output)
            << r.watts << " " << r.loadOnS;

    const struct {
        float loadOnS;
        bool all, off, on;
    } choices[] = {{0, true, true, false},
                   {0.5, true, false, false},
                   {30, true, false, false},
                   {54, true, false, true},
                   {60, true, false, true}};
    for (const auto& c : choices) {
        const TurbineMinute m = minute(0, 5, 0, 12, c.loadOnS);
        EXPECT_EQ(isChosen(m, MinuteChoice::All), c.all) << c.loadOnS;
        EXPECT_EQ(isChosen(m, MinuteChoice::LoadOff), c.off) << c.loadOnS;
        EXPECT_EQ(isChosen(m, MinuteChoice::LoadOn), c.on) << c.loadOnS;
    }
}

TEST(PerformanceIndex, MadeOverPromisedWithTheMakersZeroOutsideTheTable) {
    const Yardstick maker{YardstickKind::Maker, {{0, 0}, {10, 100}}};
    // Promised 50 + 100 + 0; made 40 + 100 + 30.
    const std::vector<WindPowerPoint> outputs{{5, 40}, {10, 100}, {12, 30}};
    const IndexSums s = indexSums(outputs, maker);
    EXPECT_DOUBLE_EQ(s.madeWh, 170.0 / 60);
    EXPECT_DOUBLE_EQ(s.promisedWh, 150.0 / 60);
    EXPECT_EQ(s.minutes, 3);
    EXPECT_EQ(s.minutesInCurve, 2);
    EXPECT_NEAR(*indexPercent(s), 113.333333, 1e-6);
    // A measured curve says nothing about winds it never saw: 140 / 150.
    const Yardstick measured{YardstickKind::Measured, maker.curve};
    EXPECT_NEAR(*indexPercent(indexSums(outputs, measured)), 93.333333, 1e-6);
    // Nothing promised, or no minutes: no index rather than an infinity.
    EXPECT_FALSE(indexPercent(indexSums(std::vector<WindPowerPoint>{{12, 30}}, maker)));
    EXPECT_FALSE(indexPercent(IndexSums{}));
}

TEST(PerformanceIndex, DaysWithFewerThan60MinutesInTheCurveCannotSay) {
    TurbineSettings turbine;
    turbine.maker = {{0, 0}, {10, 100}};
    const Yardstick maker{YardstickKind::Maker, turbine.maker};
    std::vector<TurbineMinute> minutes;
    for (int i = 0; i < 60; ++i) // 1 Jun: made 40 where 50 was promised
        minutes.push_back(minute(20260601, 5, 40));
    for (int i = 0; i < 59; ++i) // 2 Jun: one minute short
        minutes.push_back(minute(20260602, 5, 10));
    for (int i = 0; i < 100; ++i) // 3 Jun: winds beyond the table's last
        minutes.push_back(minute(20260603, 15, 0));
    const std::vector<DayIndex> days = dayIndexes(minutes, turbine, maker);
    ASSERT_EQ(days.size(), 3u);
    EXPECT_NEAR(*days[0].percent, 80, 1e-9);
    EXPECT_FALSE(days[1].percent);
    EXPECT_FALSE(days[2].percent);
    // The period counts only the days that can say.
    EXPECT_NEAR(*periodIndex(minutes, turbine, maker), 80, 1e-9);
    EXPECT_FALSE(periodIndex(std::span(minutes).subspan(60), turbine, maker));
}

TEST(PerformanceIndex, TheReferenceCurveIsItsReliableBinsAndTheMakerComesFirst) {
    TurbineSettings turbine;
    turbine.reference = DateRange{20260501, 20260531};
    turbine.loadAmps = 2; // estimated output = watts + 12.5 x 2 x loadOnS / 60
    const std::vector<TurbineMinute> reference{
        minute(20260501, 2.5, 10, 12.5, 12), minute(20260501, 2.2, 15, 12.5, 12),
        minute(20260501, 2.9, 20, 12.5, 12), // bin [2, 3): outputs 15, 20, 25: mean 20
        minute(20260502, 4.5, 60),           // [4, 5): two minutes, unreliable
        minute(20260502, 4.1, 60),           minute(20260503, 6, 55),
        minute(20260503, 6.5, 60),           minute(20260503, 6.9, 65)}; // [6, 7): 60
    const auto yardstick = yardstickFor(turbine, reference);
    ASSERT_TRUE(yardstick);
    EXPECT_EQ(yardstick->kind, YardstickKind::Measured);
    EXPECT_EQ(yardstick->curve, (std::vector<CurvePoint>{{2.5, 20}, {6.5, 60}}));
    turbine.maker = {{3, 0}, {9, 90}};
    EXPECT_EQ(yardstickFor(turbine, reference)->kind, YardstickKind::Maker);
    turbine.maker.clear();
    turbine.reference.reset();
    EXPECT_FALSE(yardstickFor(turbine, reference));
}

TEST(PowerCurveView, EachBinCarriesTheMakersMeanForItsOwnMinutes) {
    TurbineSettings turbine;
    turbine.maker = {{0, 0}, {10, 100}};
    const std::vector<TurbineMinute> minutes{minute(20260601, 5, 40), minute(20260601, 5.5, 44),
                                             minute(20260601, 5.2, 30, 12.5, 60),
                                             minute(20260601, 12, 7)};
    PowerCurveInput in;
    in.minutes = minutes;
    in.turbine = &turbine;
    in.choice = MinuteChoice::LoadOff;
    const PowerCurveView v = buildPowerCurveView(in);
    ASSERT_EQ(v.bins.size(), 2u); // [5, 6) without the load-on minute, and [12, 13)
    EXPECT_DOUBLE_EQ(v.bins[0].meanWatts, 42);
    EXPECT_DOUBLE_EQ(*v.makerWatts[0], 52.5); // (50 + 55) / 2
    EXPECT_FALSE(v.makerWatts[1]);            // beyond the table: nothing promised
    EXPECT_NEAR(*v.makerIndex, 100.0 * (40 + 44 + 7) / (50 + 55), 1e-9);
    EXPECT_FALSE(v.hasReference);
    EXPECT_EQ(percentText(86.5), "86 %"); // ties to even
    EXPECT_EQ(percentText(87.5), "88 %");
}

class SevenDays : public ::testing::Test {
protected:
    SevenDays() {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    // `count` minutes of the date at mean wind 5 and net watts 37; the
    // fixture's minutes have 13 V and 30 s of load, so with 2 A of load the
    // output is 37 + 13 x 2 x 0.5 = 50, all the maker's curve promises.
    static void day(std::vector<MinuteSummary>& out, int date, int count, double watts = 37,
                    double wind = 5, int first = 600) {
        for (int i = 0; i < count; ++i)
            out.push_back(test::minuteOf(date, first + i, wind, watts, 1, 12.5, 13.5));
    }
    test::TempDir dir;
};

TEST_F(SevenDays, TheWeeksIndexLeavesOutDaysThatCannotSay) {
    std::vector<MinuteSummary> minutes;
    day(minutes, 20260524, 300, 0); // 8 days back: outside the week
    day(minutes, 20260525, 120);    // made 50 of 50
    day(minutes, 20260528, 59, 0);  // too few minutes to count
    day(minutes, 20260531, 60, 12); // made 25 of 50
    test::writeMinutes(dir.file("korvane.db"), minutes);
    TurbineConfig config;
    config.LoadAmps = "2";
    config.MakerCurve = "0:0 10:100";
    const LocalDateTime now{2026, 5, 31, 20, 0, 0, 0};
    const std::string store = dir.file("korvane.db");
    // (120 x 50 + 60 x 25) / (180 x 50)
    EXPECT_NEAR(*sevenDayOutputIndex(store, config, now), 100.0 * 7500 / 9000, 1e-9);

    FakeClock clock(now);
    const auto source = sevenDayOutputIndexSource(dir.path(), clock);
    EXPECT_FALSE(source()) << "no turbine.cfg: no curve to judge by";
    ASSERT_EQ(saveTurbineConfig(dir.path(), config), 0);
    EXPECT_NEAR(*source(), 83.333333, 1e-6);
    clock.set({2026, 6, 10, 8, 0, 0, 0}); // a week with nothing stored
    EXPECT_FALSE(source());

    test::TempDir empty;
    std::string problem;
    EXPECT_FALSE(readTurbineMinutes(empty.file("korvane.db"), {20260501, 20260531}, &problem));
    EXPECT_NE(problem.find("Cannot read the history store"), std::string::npos);
    EXPECT_FALSE(fileExists(empty.file("korvane.db")));
}

TEST_F(SevenDays, WithoutAMakersCurveTheReferencePeriodJudges) {
    std::vector<MinuteSummary> minutes;
    // The reference's bins [5, 6) and [7, 8): outputs 100 and 140 (net + 13).
    day(minutes, 20260510, 100, 87, 5);
    day(minutes, 20260511, 100, 127, 7);
    // This week at 6.5, where the reference's curve gives 120: 50 made.
    day(minutes, 20260530, 90, 37, 6.5);
    test::writeMinutes(dir.file("korvane.db"), minutes);
    TurbineConfig config;
    config.LoadAmps = "2";
    config.RefFrom = "2026-05-01";
    config.RefTo = "2026-05-15";
    const std::string store = dir.file("korvane.db");
    EXPECT_NEAR(*sevenDayOutputIndex(store, config, {2026, 5, 31}), 100.0 * 50 / 120, 1e-9);
    // A reference of one bin is a single point: it judges nothing.
    config.RefTo = "2026-05-10";
    EXPECT_FALSE(sevenDayOutputIndex(store, config, {2026, 5, 31}));
}

} // namespace
} // namespace korvane
