// The banner line, recorded events and command arguments, as known answers.

#include "alarms/alarm_text.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace korvane
