#include "trends/daily_energy.h"

#include "trends/number_text.h"

#include <cmath>

#include <gtest/gtest.h>

namespace korvane {
namespace {

DayTotal measured(int date, double wh, double wattsMax = 0) {
    DayTotal d;
    d.date = date;
    d.minutes = 1440;
    d.packets = 8640;
    d.wh = wh;
    d.wattsMax = wattsMax;
    d.loadOnMinutes = 30;
    return d;
}

DayTotal imported(int date) {
    DayTotal d;
    d.date = date;
    d.voltsMin = 12.1;
    d.wattsMax = 300;
    return d;
}

TEST(DailyEnergy, EveryDateGetsABarAndOnlyMeasuredDatesCount) {
    // 3 Mar measured 0 Wh (calm), 4 Mar nothing, 5 Mar imported, 2 Mar out of range.
    const std::vector<DayTotal> days{measured(20260302, 999), measured(20260303, 0),
                                     imported(20260305), measured(20260306, 1500.5)};
    const EnergySummary s = summariseEnergy(days, {20260303, 20260306});
    ASSERT_EQ(s.bars.size(), 4u);
    EXPECT_EQ(s.bars[0].kind, DayEnergyKind::Known);
    EXPECT_EQ(s.bars[0].wh, 0);
    EXPECT_EQ(s.bars[1].kind, DayEnergyKind::NoRecord);
    EXPECT_EQ(s.bars[2].kind, DayEnergyKind::Unknown);
    EXPECT_EQ(s.bars[2].wattsMax, 300);
    EXPECT_EQ(s.bars[3].date, 20260306);
    EXPECT_EQ(s.knownDays, 2);
    EXPECT_EQ(s.unknownDays, 1);
    EXPECT_DOUBLE_EQ(s.totalWh, 1500.5);
    EXPECT_DOUBLE_EQ(s.meanWh, 750.25);
    EXPECT_FALSE(s.kwh);
}

TEST(DailyEnergy, KilowattHoursOnlyOnceABarPasses10000Wh) {
    EXPECT_FALSE(summariseEnergy({measured(20260101, 10000)}, {20260101, 20260101}).kwh);
    EXPECT_TRUE(summariseEnergy({measured(20260101, 10000.01)}, {20260101, 20260101}).kwh);
}

TEST(DailyEnergy, TextsRoundAndUseTheUsersSeparator) {
    const NumberFormat comma{','};
    EXPECT_EQ(energyText(1234.567, false, comma), "1234,57 Wh");
    EXPECT_EQ(energyText(12345.6789, true, comma), "12,346 kWh");
    EXPECT_EQ(energyText(0, false, NumberFormat{'.'}), "0 Wh");

    const EnergySummary s =
        summariseEnergy({measured(20260301, 1000), imported(20260302), measured(20260303, 500)},
                        {20260301, 20260303});
    EXPECT_EQ(energyHeadline(s, NumberFormat{'.'}),
              "Total 1500 Wh over 2 days, mean 750 Wh a day (1 day from imported logs, energy "
              "unknown)");
    EXPECT_EQ(energyHeadline(summariseEnergy({}, {20260301, 20260303}), NumberFormat{'.'}),
              "Total 0 Wh over 0 days, mean 0 Wh a day");
}

TEST(DailyEnergy, TodayIsInTheTotalButNotTheMean) {
    const std::vector<DayTotal> days{measured(20260301, 5000), measured(20260302, 6000),
                                     measured(20260303, 1500)};
    const EnergySummary s = summariseEnergy(days, {20260301, 20260303}, 20260303);
    EXPECT_TRUE(s.bars[2].today);
    EXPECT_FALSE(s.bars[1].today);
    EXPECT_DOUBLE_EQ(s.totalWh, 12500);
    EXPECT_DOUBLE_EQ(s.meanWh, 5500);
    EXPECT_EQ(s.meanDays, 2);
    EXPECT_EQ(energyHeadline(s, NumberFormat{','}, "."),
              "Total 12,50 kWh over 3 days, mean 5,50 kWh a day (not counting today, 1,50 kWh so "
              "far)");
    EXPECT_FALSE(s.kwh); // no bar passes 10,000 Wh: the bars stay in Wh

    const EnergySummary onlyToday =
        summariseEnergy({measured(20260303, 8400.5)}, {20260301, 20260303}, 20260303);
    EXPECT_EQ(energyHeadline(onlyToday, NumberFormat{'.'}, ","),
              "Total 8,400.5 Wh over 1 day, all of it today so far");
    EXPECT_DOUBLE_EQ(onlyToday.meanWh, 0);
}

TEST(DailyEnergy, LongRangesGetAWeeksOrAMonthsBarAndAbsurdOnesNone) {
    // 2 Mar 2026 is a Monday: the first week holds 1 Mar alone.
    std::vector<DayTotal> days{measured(20260301, 100), measured(20260302, 200),
                               measured(20260308, 300), imported(20260309)};
    const EnergySummary weeks = summariseEnergy(days, {20260301, addDays(20260301, 1500)});
    EXPECT_EQ(weeks.span, BarSpan::Week);
    ASSERT_GE(weeks.bars.size(), 3u);
    EXPECT_EQ(weeks.bars[0].date, 20260301);
    EXPECT_EQ(weeks.bars[0].lastDate, 20260301);
    EXPECT_EQ(weeks.bars[1].date, 20260302);
    EXPECT_EQ(weeks.bars[1].lastDate, 20260308);
    EXPECT_DOUBLE_EQ(weeks.bars[1].wh, 500);
    EXPECT_EQ(weeks.bars[1].knownDays, 2);
    EXPECT_EQ(weeks.bars[2].kind, DayEnergyKind::Unknown);
    EXPECT_EQ(weeks.bars.size(), 216u); // 1 + 214 whole weeks + 2 days

    // A stray log of 1 January 1970: a bar a month, 675 of them.
    days.insert(days.begin(), measured(19700101, 50));
    const EnergySummary months = summariseEnergy(days, {19700101, 20260304});
    EXPECT_EQ(months.span, BarSpan::Month);
    EXPECT_EQ(months.bars.size(), 675u);
    EXPECT_EQ(months.bars.back().date, 20260301);
    EXPECT_DOUBLE_EQ(months.bars.back().wh, 300); // 8 Mar is past the range
    EXPECT_DOUBLE_EQ(months.totalWh, 350);

    const EnergySummary absurd = summariseEnergy(days, {10000101, 99991231});
    EXPECT_TRUE(absurd.tooLong);
    EXPECT_TRUE(absurd.bars.empty());
    EXPECT_EQ(barSpanFor(kMaxDailyBars), BarSpan::Day);
    EXPECT_EQ(barSpanFor(kMaxDailyBars + 1), BarSpan::Week);
    EXPECT_FALSE(barSpanFor(kMaxRangeDays + 1));
}

TEST(NumberText, FixedDecimalsAndDigitGroups) {
    const NumberFormat point{'.'}, comma{','};
    const struct {
        double value;
        int decimals;
        const char* text;
    } fixed[] = {{1234.5, 2, "1234.50"}, {-0.004, 2, "0.00"}, {2.675, 2, "2.68"},
                 {0.125, 2, "0.12"},     {12, 0, "12"},       {NAN, 1, "0.0"}};
    for (const auto& f : fixed)
        EXPECT_EQ(fixedText(f.value, f.decimals, point), f.text) << f.value;
    EXPECT_EQ(fixedText(1.5, 1, comma), "1,5");
    const struct {
        const char* in;
        const char* group;
        const char* out;
    } groups[] = {{"1234567.89", ",", "1,234,567.89"},
                  {"-1234", ",", "-1,234"},
                  {"123", ",", "123"},
                  {"1e+20", ",", "1e+20"},
                  {"64860.00", "\xc2\xa0",
                   "64\xc2\xa0"
                   "860.00"},
                  {"1234", "", "1234"}};
    for (const auto& g : groups)
        EXPECT_EQ(withDigitGroups(g.in, point, g.group), g.out) << g.in;
    EXPECT_EQ(withDigitGroups("1234,5", comma, "."), "1.234,5");
}

} // namespace
} // namespace korvane
