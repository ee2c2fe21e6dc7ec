#include "monitor/energy.h"
#include "monitor/live_display.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

const NumberFormat kDot{'.'};

ProgramConfig withRows(const char* rpm, const char* ws, const char* units = "km/h") {
    ProgramConfig c = defaultProgramConfig();
    c.DisplayRPM = rpm;
    c.DisplayWS = ws;
    c.WSUnits = units;
    return c;
}

std::vector<std::string> labels(const std::vector<ReadingRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows)
        out.push_back(r.label);
    return out;
}

TEST(ReadingsList, OptionalRowsAndFontSizeFollowTheSettings) {
    using L = std::vector<std::string>;
    struct Case {
        ProgramConfig config;
        L labels;
        int points;
    } cases[] = {
        {withRows("0", "0"), {"Volts", "Amps", "Watts", "WattHours"}, 24},
        {withRows("1", "0"), {"Volts", "Amps", "Watts", "WattHours", "RPM"}, 20},
        {withRows("0", "1"), {"Volts", "Amps", "Watts", "WattHours", "km/h"}, 20},
        {withRows("1", "1", "mph"), {"Volts", "Amps", "Watts", "WattHours", "RPM", "mph"}, 18},
        {withRows("2", "yes"), {"Volts", "Amps", "Watts", "WattHours"}, 24},
    };
    for (const auto& c : cases) {
        const auto layout = readingsLayout(c.config, kDot);
        EXPECT_EQ(layout.fontPoints, c.points);
        EXPECT_EQ(labels(placeholderRows(layout)), c.labels);
        for (const auto& row : placeholderRows(layout))
            EXPECT_EQ(row.value, "0.0");
    }
}

TEST(ReadingsList, ValuesUseTheGeneralNumberFormAndWattHoursOneDecimal) {
    const auto layout = readingsLayout(withRows("1", "1"), kDot);
    const Reading r{12.8, -5, -64, 420, 0, 1};
    const auto rows = readingRows(layout, r, 1.25, kDot);
    std::vector<std::string> values;
    for (const auto& row : rows)
        values.push_back(row.value);
    EXPECT_EQ(values, (std::vector<std::string>{"12.8", "-5", "-64", "1.2", "420", "0"}));
    EXPECT_EQ(readingRows(layout, r, 1.35, kDot)[3].value, "1.4");
    EXPECT_EQ(readingRows(layout, r, 2.25, NumberFormat{','})[3].value, "2,2");
}

TEST(LiveCaption, NameTwoSpacesVoltsAndAmps) {
    EXPECT_EQ(liveCaption({12.8, 1.5, 0, 0, 0, 0}, kDot), "Korvane  12.8V 1.5A");
    EXPECT_EQ(liveCaption({12.8, -5, 0, 0, 0, 0}, kDot), "Korvane  12.8V -5A");
    EXPECT_EQ(liveModeText(1), "On Load");
    EXPECT_EQ(liveModeText(2), "");
    EXPECT_EQ(liveModeText(-1), "");
}

TEST(Energy, RestartsJustAfterMidnightThenAddsItsShare) {
    const LocalDateTime early{2026, 12, 9, 0, 0, 3, 0};
    EXPECT_DOUBLE_EQ(energyTick(500, 72, early, LocalDateTime{2026, 12, 8, 23, 59, 58, 0}), 0.1);
    const LocalDateTime later{2026, 12, 9, 0, 0, 13, 0};
    EXPECT_DOUBLE_EQ(energyTick(0.1, 72, later, early), 0.2);
}

TEST(Energy, SeventyTwoWattsForAMinuteAddsOnePointTwo) {
    double wh = 0;
    LocalDateTime t{2026, 12, 8, 12, 0, 0, 0};
    std::optional<LocalDateTime> previous;
    for (int i = 0; i < 12; ++i) {
        wh = energyTick(wh, 72, t, previous);
        previous = t;
        t.second += 5;
    }
    EXPECT_NEAR(wh, 1.2, 1e-12);
}

TEST(Energy, ADateChangeRestartsTheTotalEvenWhenMidnightWasMissed) {
    const LocalDateTime beforeSleep{2026, 12, 8, 23, 50, 0, 0};
    const LocalDateTime afterWake{2026, 12, 9, 7, 30, 0, 0};
    EXPECT_DOUBLE_EQ(energyTick(900, 72, afterWake, beforeSleep), 0.1);
    EXPECT_DOUBLE_EQ(energyTick(900, 72, afterWake, afterWake), 900.1);
    EXPECT_DOUBLE_EQ(energyTick(900, 72, afterWake, std::nullopt), 900.1);
}

} // namespace
} // namespace korvane
