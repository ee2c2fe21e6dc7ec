// alarms.cfg: defaults, the exact bytes, and the fields the dialog refuses.

#include "alarms/alarm_config.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::TempDir;

constexpr const char* kDefaultFile = "Alarm Config File\r\n\r\n"
                                     "<LowVoltsOn>0</LowVoltsOn>\r\n"
                                     "<LowVolts>11.5</LowVolts>\r\n"
                                     "<LowVoltsClear>12</LowVoltsClear>\r\n"
                                     "<HighVoltsOn>0</HighVoltsOn>\r\n"
                                     "<HighVolts>14.8</HighVolts>\r\n"
                                     "<HighVoltsClear>14.2</HighVoltsClear>\r\n"
                                     "<HighAmpsOn>0</HighAmpsOn>\r\n"
                                     "<HighAmps>30</HighAmps>\r\n"
                                     "<HighAmpsClear>25</HighAmpsClear>\r\n"
                                     "<HighRPMOn>0</HighRPMOn>\r\n"
                                     "<HighRPM>1500</HighRPM>\r\n"
                                     "<HighRPMClear>1200</HighRPMClear>\r\n"
                                     "<HighWindOn>0</HighWindOn>\r\n"
                                     "<HighWind>25</HighWind>\r\n"
                                     "<HighWindClear>20</HighWindClear>\r\n"
                                     "<NoDataOn>0</NoDataOn>\r\n"
                                     "<NoDataMinutes>5</NoDataMinutes>\r\n"
                                     "<HoldSeconds>10</HoldSeconds>\r\n"
                                     "<Command></Command>\r\n"
                                     "\r\n";

const NumberFormat kDot{'.'};

TEST(AlarmConfig, MissingFileGivesDefaultsWithEveryAlarmOff) {
    TempDir dir;
    const AlarmConfig config = loadAlarmConfig(dir.path(), kDot);
    EXPECT_EQ(formatAlarmConfig(config), kDefaultFile);
    const AlarmSettings s = alarmSettings(config, kDot);
    for (const LevelAlarm& level : s.levels)
        EXPECT_FALSE(level.on);
    EXPECT_FALSE(s.noDataOn);
    EXPECT_EQ(s.levels[index(AlarmKind::BatteryLow)], (LevelAlarm{false, 11.5, 12}));
    EXPECT_EQ(s.levels[index(AlarmKind::BatteryHigh)], (LevelAlarm{false, 14.8, 14.2}));
    EXPECT_EQ(s.levels[index(AlarmKind::WindHigh)], (LevelAlarm{false, 25, 20}));
    EXPECT_EQ(s.noDataMinutes, 5);
    EXPECT_EQ(s.holdSeconds, 10);
    EXPECT_EQ(s.command, "");
}

TEST(AlarmConfig, MissingTagsTakeDefaultsAndPresentOnesKeepTheirText) {
    const AlarmConfig config = parseAlarmConfig(
        "<LowVoltsOn>1</LowVoltsOn><LowVolts> 11.8</LowVolts><Command>/x y/z</Command>", kDot);
    EXPECT_EQ(config.LowVoltsOn, "1");
    EXPECT_EQ(config.LowVolts, " 11.8");
    EXPECT_EQ(config.LowVoltsClear, "12");
    EXPECT_EQ(config.Command, "/x y/z");
    const AlarmSettings s = alarmSettings(config, kDot);
    EXPECT_EQ(s.levels[0], (LevelAlarm{true, 11.8, 12}));
    EXPECT_EQ(s.command, "/x y/z");
}

TEST(AlarmConfig, SavedFileReadsBackAsWritten) {
    TempDir dir;
    AlarmConfig config = defaultAlarmConfig(kDot);
    config.HighWindOn = "1";
    config.HighWind = "40";
    config.HighWindClear = "35";
    config.Command = "/home/me/alarm \xe9t\xe9.sh";
    ASSERT_EQ(saveAlarmConfig(dir.path(), config), 0);
    EXPECT_EQ(loadAlarmConfig(dir.path(), kDot), config);
    EXPECT_NE(dir.read("alarms.cfg").find("<HighWind>40</HighWind>\r\n"), std::string::npos);
}

TEST(AlarmConfig, SwitchesAreOnOnlyWhenTheyReadAsOne) {
    const std::pair<const char*, bool> cases[] = {{"1", true},    {" 1 ", true}, {"1.0", true},
                                                  {"0", false},   {"2", false},  {"", false},
                                                  {"yes", false}, {"1,0", false}};
    for (const auto& [text, on] : cases) {
        AlarmConfig config = defaultAlarmConfig(kDot);
        config.NoDataOn = text;
        config.HighAmpsOn = text;
        const AlarmSettings s = alarmSettings(config, kDot);
        EXPECT_EQ(s.noDataOn, on) << '"' << text << '"';
        EXPECT_EQ(s.levels[index(AlarmKind::CurrentHigh)].on, on) << '"' << text << '"';
    }
}

struct BadField {
    std::string AlarmConfig::*field;
    const char* text;
    const char* message;
};

TEST(AlarmConfig, RefusedFieldsAreNamedInTheMessage) {
    using C = AlarmConfig;
    const BadField cases[] = {
        {&C::LowVolts, "abc", "Battery low level must be a number."},
        {&C::LowVolts, "", "Battery low level must be a number."},
        {&C::LowVolts, "11,5", "Battery low level must be a number."},
        {&C::HighAmpsClear, "2 5", "Current high clear level must be a number."},
        {&C::HighRPM, "nan", "RPM high level must be a number."},
        {&C::LowVoltsClear, "11.4",
         "Battery low clear level must be at or above the Battery low level, so the alarm "
         "clears on the safe side."},
        {&C::HighVoltsClear, "15",
         "Battery high clear level must be at or below the Battery high level, so the alarm "
         "clears on the safe side."},
        {&C::HighWind, "19",
         "Wind high clear level must be at or below the Wind high level, so the alarm clears "
         "on the safe side."},
        {&C::NoDataMinutes, "0", "No data minutes must be a number above 0."},
        {&C::NoDataMinutes, "x", "No data minutes must be a number above 0."},
        {&C::HoldSeconds, "-1", "Hold seconds must be a number, 0 or more."},
    };
    for (const BadField& c : cases) {
        AlarmConfig config = defaultAlarmConfig(kDot);
        config.*c.field = c.text;
        EXPECT_EQ(alarmConfigProblem(config, kDot), c.message) << '"' << c.text << '"';
    }
}

TEST(AlarmConfig, AcceptedEdges) {
    AlarmConfig config = defaultAlarmConfig(kDot);
    config.LowVoltsClear = "11.5"; // equal to the set level: no hysteresis
    config.HighAmps = "-2";        // a discharge current level
    config.HighAmpsClear = "-3";
    config.HoldSeconds = "0";
    config.NoDataMinutes = "0.5";
    config.Command = "anything at all";
    EXPECT_EQ(alarmConfigProblem(config, kDot), "");
}

TEST(AlarmConfig, AHandEditedBadFieldRunsWithASafeValueAndSaysSo) {
    AlarmConfig config = defaultAlarmConfig(kDot);
    config.LowVoltsOn = "1";
    config.LowVolts = "eleven";
    config.HighVoltsOn = "1";
    config.HighVoltsClear = "16"; // wrong side of 14.8
    config.HoldSeconds = "-5";
    std::string problem;
    const AlarmSettings s = alarmSettings(config, kDot, &problem);
    EXPECT_EQ(problem, "Battery low level must be a number.");
    EXPECT_EQ(s.levels[0], (LevelAlarm{true, 11.5, 12}));
    EXPECT_EQ(s.levels[1], (LevelAlarm{true, 14.8, 14.8}));
    EXPECT_EQ(s.holdSeconds, 10);
}

} // namespace
} // namespace korvane
