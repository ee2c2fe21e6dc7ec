// The battery line in plain words: a table of volts and amps to text.

#include "alarms/battery_line.h"

#include <cmath>
#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(BatteryLine, VoltsAndAmpsToPlainWords) {
    using T = BatteryTone;
    struct Case {
        double volts;
        double amps;
        const char* text;
        const char* state;
        BatteryTone tone;
    };
    const Case cases[] = {
        {12.6, 4.1, "Charging: 4.1 A in, battery good", "good", T::Good},
        {12.3, -0.4, "Discharging: 0.4 A out, battery part charged", "part charged", T::Fair},
        {11.6, 0.0, "Idle, battery low", "low", T::Low},
        {14.2, 9.54, "Charging: 9.5 A in, battery nearly full", "charging, nearly full",
         T::NearlyFull},
        // Nearly full needs a charge current: a resting battery at 14 V is good.
        {14.0, 0.05, "Idle, battery good", "good", T::Good},
        {14.0, -2.0, "Discharging: 2 A out, battery good", "good", T::Good},
        // The edges: 11.8 and 12.4 are part charged, 13.8 is not yet full.
        {11.8, 0.0, "Idle, battery part charged", "part charged", T::Fair},
        {11.79, 0.0, "Idle, battery low", "low", T::Low},
        {12.4, 0.0, "Idle, battery part charged", "part charged", T::Fair},
        {12.41, 0.0, "Idle, battery good", "good", T::Good},
        {13.8, 3.0, "Charging: 3 A in, battery good", "good", T::Good},
        {13.81, 3.0, "Charging: 3 A in, battery nearly full", "charging, nearly full",
         T::NearlyFull},
        // The idle band includes its edges.
        {12.5, 0.1, "Idle, battery good", "good", T::Good},
        {12.5, -0.1, "Idle, battery good", "good", T::Good},
        {12.5, 0.11, "Charging: 0.1 A in, battery good", "good", T::Good},
        {12.5, -0.16, "Discharging: 0.2 A out, battery good", "good", T::Good},
        {12.5, 12.25, "Charging: 12.2 A in, battery good", "good", T::Good},
        // Nothing that is not a number reaches the window.
        {NAN, 4.0, "Charging: 4 A in, battery low", "low", T::Low},
        {12.6, INFINITY, "Idle, battery good", "good", T::Good},
    };
    const BatteryLevels levels; // 11.8, 12.4, 13.8, 0.1
    for (const Case& c : cases) {
        const BatteryLine line = batteryLine(c.volts, c.amps, levels, NumberFormat{'.'});
        EXPECT_EQ(line, (BatteryLine{c.text, c.state, c.tone}))
            << c.volts << " V " << c.amps << " A";
    }
}

TEST(BatteryLine, OtherLevelsAndTheLocaleSeparator) {
    const BatteryLevels bank24{23.6, 24.8, 27.6, 0.5};
    EXPECT_EQ(batteryLine(24.0, 0.4, bank24, NumberFormat{','}).text, "Idle, battery part charged");
    EXPECT_EQ(batteryLine(28.1, 7.25, bank24, NumberFormat{','}).text,
              "Charging: 7,2 A in, battery nearly full");
    EXPECT_EQ(batteryLine(23.0, -1.5, bank24, NumberFormat{','}).text,
              "Discharging: 1,5 A out, battery low");
}

} // namespace
} // namespace korvane
