#include "trends/alarm_values.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(AlarmValues, EachAlarmsValueCarriesItsUnit) {
    const struct {
        const char* name;
        double value;
        const char* text;
    } rows[] = {{"Battery low", 11.42, "11.42 V"}, {"Battery high", 14.9, "14.9 V"},
                {"Current high", 31, "31 A"},      {"RPM high", 1510, "1510 RPM"},
                {"Wind high", 26, "26 knots"},     {"No data", 5, "5 min"},
                {"Something new", 3, "3"}};
    for (const auto& r : rows)
        EXPECT_EQ(alarmValueWithUnit(r.name, r.value, "knots", NumberFormat{'.'}), r.text)
            << r.name;
    EXPECT_EQ(alarmValueWithUnit("Battery low", 11.5, "", NumberFormat{','}), "11,5 V");
}

} // namespace
} // namespace korvane
