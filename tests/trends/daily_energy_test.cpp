#include "trends/daily_energy.h"

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

} // namespace
} // namespace korvane
