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
                                     "<OutputLowOn>0</OutputLowOn>\r\n"
                                     "<OutputLow>85</OutputLow>\r\n"
                                     "<OutputLowClear>90</OutputLowClear>\r\n"
                                     "<NoDataOn>0</NoDataOn>\r\n"
                                     "<NoDataMinutes>5</NoDataMinutes>\r\n"
                                     "<HoldSeconds>10</HoldSeconds>\r\n"
                                     "<Command></Command>\r\n"
                                     "<BatteryLow>11.8</BatteryLow>\r\n"
                                     "<BatteryGood>12.4</BatteryGood>\r\n"
                                     "<BatteryFull>13.8</BatteryFull>\r\n"
                                     "<IdleBand>0.1</IdleBand>\r\n"
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
    EXPECT_EQ(s.outputLow, (LevelAlarm{false, 85, 90}));
    EXPECT_EQ(batteryLevels(config, kDot), (BatteryLevels{11.8, 12.4, 13.8, 0.1}));
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

TEST(AlarmConfig, ValuesThatLookLikeTagsReadBackAsTyped) {
    TempDir dir;
    AlarmConfig config = defaultAlarmConfig(kDot);
    config.LowVoltsOn = "1";
    config.Command = "/bin/x </Command><LowVoltsOn>0</LowVoltsOn> &amp; & <HoldSeconds>";
    ASSERT_EQ(saveAlarmConfig(dir.path(), config), 0);
    const AlarmConfig back = loadAlarmConfig(dir.path(), kDot);
    EXPECT_EQ(back.Command, config.Command);
    EXPECT_EQ(back.LowVoltsOn, "1");
    EXPECT_EQ(back, config);
    EXPECT_NE(dir.read("alarms.cfg").find("<Command>/bin/x &lt;/Command&gt;&lt;LowVoltsOn&gt;0"),
              std::string::npos);
    // A file written before values were escaped reads as it did.
    EXPECT_EQ(parseAlarmConfig("<Command>/bin/a&b</Command>", kDot).Command, "/bin/a&b");
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
        {&C::OutputLow, "85 %", "Turbine output low level must be a number."},
        {&C::OutputLowClear, "80",
         "Turbine output low clear level must be at or above the Turbine output low level, so "
         "the alarm clears on the safe side."},
        {&C::BatteryLow, "low", "Battery level low must be a number."},
        {&C::BatteryFull, "", "Battery level nearly full must be a number."},
        {&C::BatteryGood, "11.8", "Battery level good must be above the Battery level low."},
        {&C::BatteryGood, "14", "Battery level nearly full must be above the Battery level good."},
        {&C::IdleBand, "-0.1", "Idle band must be a number, 0 or more."},
        {&C::IdleBand, "0.1A", "Idle band must be a number, 0 or more."},
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
    config.OutputLowClear = "85"; // equal to its set level
    config.IdleBand = "0";
    config.BatteryFull = "12.5"; // just above good
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

TEST(AlarmConfig, BatteryLevelsFromTheFileWithSafeFallbacks) {
    struct Case {
        const char* file;
        BatteryLevels levels;
    };
    const Case cases[] = {
        {"<BatteryLow>23.6</BatteryLow><BatteryGood>24.8</BatteryGood>"
         "<BatteryFull>27.6</BatteryFull><IdleBand>0.3</IdleBand>",
         {23.6, 24.8, 27.6, 0.3}},
        {"<BatteryGood>12.6</BatteryGood>", {11.8, 12.6, 13.8, 0.1}},
        // Out of order: none of the three can be trusted.
        {"<BatteryLow>12</BatteryLow><BatteryGood>11</BatteryGood>"
         "<IdleBand>0.5</IdleBand>",
         {11.8, 12.4, 13.8, 0.5}},
        // A good level above the default nearly full: the set does not rise.
        {"<BatteryGood>14</BatteryGood>", {11.8, 12.4, 13.8, 0.1}},
        {"<IdleBand>none</IdleBand><BatteryLow>11.5</BatteryLow>", {11.5, 12.4, 13.8, 0.1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(batteryLevels(parseAlarmConfig(c.file, kDot), kDot), c.levels) << c.file;
    EXPECT_EQ(batteryLevels(parseAlarmConfig("<BatteryFull>14,1</BatteryFull>", NumberFormat{','}),
                            NumberFormat{','}),
              (BatteryLevels{11.8, 12.4, 14.1, 0.1}));
}

} // namespace
} // namespace korvane
