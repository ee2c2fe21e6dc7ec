// The banner line, recorded events and command arguments, as known answers.

#include "alarms/alarm_text.h"

#include <gtest/gtest.h>
#include <iterator>
#include <optional>

namespace korvane {
namespace {

const NumberFormat kDot{'.'};

AlarmSettings allOn() {
    AlarmSettings s;
    for (LevelAlarm& level : s.levels)
        level.on = true;
    s.levels[index(AlarmKind::BatteryLow)] = {true, 11.5, 12};
    s.levels[index(AlarmKind::BatteryHigh)] = {true, 14.8, 14.2};
    s.levels[index(AlarmKind::CurrentHigh)] = {true, 30, 25};
    s.levels[index(AlarmKind::RpmHigh)] = {true, 1500, 1200};
    s.levels[index(AlarmKind::WindHigh)] = {true, 25, 20};
    s.noDataOn = true;
    s.holdSeconds = 0;
    return s;
}

LiveTime at(int hour, int minute) {
    LocalDateTime local{2026, 3, 14, hour, minute, 30, 0};
    FakeClock clock(local);
    return {local, clock.utcMs(), {}};
}

Reading calm() {
    Reading r;
    r.volts = 12.6;
    return r;
}

TEST(AlarmText, BannerShowsValueUnitAndTimeRaised) {
    struct Case {
        double volts;
        NumberFormat fmt;
        const char* banner;
    };
    const Case cases[] = {
        {11.42, kDot, "Battery low: 11.42 V since 14:05"},
        {11.0, kDot, "Battery low: 11 V since 14:05"},
        {0.5, kDot, "Battery low: 0.5 V since 14:05"},
        {11.42, NumberFormat{','}, "Battery low: 11,42 V since 14:05"},
    };
    for (const Case& c : cases) {
        AlarmEngine engine(allOn(), at(14, 0).utcMs);
        Reading r = calm();
        r.volts = c.volts;
        engine.packet(r, at(14, 5));
        // Later values do not change what raised it.
        r.volts = 10;
        engine.packet(r, at(14, 9));
        EXPECT_EQ(alarmBanner(engine, "km/h", c.fmt), c.banner);
    }
}

TEST(AlarmText, SeveralAlarmsShareOneLineInKindOrder) {
    AlarmEngine engine(allOn(), at(9, 0).utcMs);
    EXPECT_EQ(alarmBanner(engine, "km/h", kDot), "");
    engine.logBacklog(3, at(9, 1));
    Reading storm = calm();
    storm.amps = 31.5;
    storm.windSpeed = 27.3;
    engine.packet(storm, at(9, 2));
    EXPECT_EQ(alarmBanner(engine, "km/h", kDot),
              "Current high: 31.5 A since 09:02   Wind high: 27.3 km/h since 09:02   "
              "Log not written: 3 records since 09:01");
    engine.tick(at(9, 10));
    storm.rpm = 1500.5;
    engine.packet(storm, at(9, 11)); // the packet ends No data and raises RPM high
    EXPECT_EQ(alarmBanner(engine, "m/s", kDot),
              "Current high: 31.5 A since 09:02   RPM high: 1500.5 RPM since 09:11   "
              "Wind high: 27.3 m/s since 09:02   Log not written: 3 records since 09:01");
}

TEST(AlarmText, NoDataShowsWholeMinutes) {
    AlarmEngine engine(allOn(), at(14, 0).utcMs);
    engine.tick(at(14, 7)); // 7 minutes since the start
    EXPECT_EQ(alarmBanner(engine, "km/h", kDot), "No data: 7 min since 14:07");
}

TEST(AlarmText, EventAndCommandArguments) {
    const LiveTime when = at(14, 5);
    const AlarmEvent raised =
        alarmEvent({AlarmKind::WindHigh, true, 27.25}, when.utcMs + 999, "km/h");
    EXPECT_EQ(raised, (AlarmEvent{when.utcMs / 1000, AlarmKind::WindHigh, "Wind high", "raised",
                                  27.25, "km/h"}));
    EXPECT_EQ(raised.utcSeconds, 1773497130); // 2026-03-14 14:05:30 UTC
    EXPECT_EQ(alarmCommandArguments(raised, when.local, NumberFormat{','}),
              (std::vector<std::string>{"Wind high", "raised", "27,25", "km/h", "14:05"}));

    const AlarmEvent cleared = alarmEvent({AlarmKind::NoData, false, 12}, when.utcMs, "km/h");
    EXPECT_EQ(alarmCommandArguments(cleared, when.local, kDot),
              (std::vector<std::string>{"No data", "cleared", "12", "min", "14:05"}));
}

TEST(AlarmText, NamesIdsAndUnitsOfEveryKind) {
    struct Case {
        AlarmKind kind;
        const char* name;
        const char* id;
        const char* unit;
    };
    const Case cases[] = {
        {AlarmKind::BatteryLow, "Battery low", "battery_low", "V"},
        {AlarmKind::BatteryHigh, "Battery high", "battery_high", "V"},
        {AlarmKind::CurrentHigh, "Current high", "current_high", "A"},
        {AlarmKind::RpmHigh, "RPM high", "rpm_high", "RPM"},
        {AlarmKind::WindHigh, "Wind high", "wind_high", "knots"},
        {AlarmKind::NoData, "No data", "no_data", "min"},
        {AlarmKind::LogNotWritten, "Log not written", "log_not_written", "records"},
        {AlarmKind::OutputLow, "Turbine output low", "output_low", "%"},
    };
    ASSERT_EQ(std::size(cases), kAlarmKindCount);
    for (const Case& c : cases) {
        EXPECT_EQ(alarmName(c.kind), c.name);
        EXPECT_EQ(alarmId(c.kind), c.id);
        EXPECT_EQ(alarmUnit(c.kind, "knots"), c.unit);
        EXPECT_EQ(alarmKindNamed(c.name), c.kind);
    }
    EXPECT_EQ(alarmKindNamed("battery low"), std::nullopt);
    EXPECT_EQ(alarmKindNamed(""), std::nullopt);
}

TEST(AlarmText, TheCommandEnvironmentAndTheTestCall) {
    const LiveTime when = at(14, 5);
    const AlarmEvent e = alarmEvent({AlarmKind::CurrentHigh, true, -2.5}, when.utcMs, "km/h");
    using Env = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(alarmCommandEnvironment(e, when.local, NumberFormat{','}),
              (Env{{"KORVANE_ALARM", "Current high"},
                   {"KORVANE_ALARM_ID", "current_high"},
                   {"KORVANE_STATE", "raised"},
                   {"KORVANE_VALUE", "-2,5"},
                   {"KORVANE_UNIT", "A"},
                   {"KORVANE_TIME", "14:05"},
                   {"KORVANE_UTC_SECONDS", "1773497130"}}));
    const AlarmCommandCall test = testAlarmCall(when.local, when.utcMs, kDot);
    EXPECT_EQ(test.args, (std::vector<std::string>{"Test alarm", "raised", "12.5", "V", "14:05"}));
    EXPECT_EQ(test.env[0], (std::pair<std::string, std::string>{"KORVANE_ALARM", "Test alarm"}));
    EXPECT_EQ(test.env[1], (std::pair<std::string, std::string>{"KORVANE_ALARM_ID", "test"}));
}

} // namespace
} // namespace korvane
