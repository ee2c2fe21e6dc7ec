#include "config/settings_files.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::TempDir;

TEST(ProgramConfigFile, HasTheExactByteLayout) {
    const ProgramConfig c{"2", "1", "1", "60", "1", "1", "1", "km/h"};
    EXPECT_EQ(formatProgramConfig(c),
              "Program Config File\r\n\r\n"
              "<Port>2</Port>\r\n<Savehtml>1</Savehtml>\r\n<SaveExcel>1</SaveExcel>\r\n"
              "<LogDelay>60</LogDelay>\r\n<LogOn>1</LogOn>\r\n<DisplayRPM>1</DisplayRPM>\r\n"
              "<DisplayWS>1</DisplayWS>\r\n<WSUnits>km/h</WSUnits>\r\n\r\n");
}

TEST(CalibrationConfigFile, HasTheExactByteLayout) {
    const CalibrationConfig c{"12.5", "0.3", "20", "14", "1"};
    EXPECT_EQ(formatCalibrationConfig(c),
              "Calibration Settings\r\n\r\n\r\n"
              "<VoltDivider>12.5</VoltDivider>\r\n<VoltOffset>0.3</VoltOffset>\r\n"
              "<AmpDivider>20</AmpDivider>\r\n<RPMDivider>14</RPMDivider>\r\n"
              "<WSDivider>1</WSDivider>\r\n");
}

TEST(SettingsFiles, RoundTripThroughTheAppFolder) {
    TempDir dir;
    const ProgramConfig p{"1.5", "0", "2", " 75 ", "1", "0", "1", "mph"};
    const CalibrationConfig c{"14.0", "-3", "abc", "", "2"};
    ASSERT_TRUE(saveProgramConfig(dir.path(), p));
    ASSERT_TRUE(saveCalibrationConfig(dir.path(), c));
    EXPECT_EQ(loadProgramConfig(dir.path()), p);
    EXPECT_EQ(loadCalibrationConfig(dir.path()), c);
}

TEST(SettingsFiles, MissingFilesAndKeysFallBackToDefaults) {
    TempDir dir;
    EXPECT_EQ(loadProgramConfig(dir.path()), defaultProgramConfig());
    EXPECT_EQ(loadCalibrationConfig(dir.path()), defaultCalibrationConfig());

    dir.write("prog.cfg", "<Port>3</Port><LogDelay></LogDelay></WSUnits>x<WSUnits>");
    ProgramConfig expected = defaultProgramConfig();
    expected.Port = "3";
    expected.LogDelay = ""; // present but empty stays empty
    EXPECT_EQ(loadProgramConfig(dir.path()), expected);

    dir.write("settings.cfg", "\x01\xff garbage <VoltDivider>33</VoltDivider>");
    CalibrationConfig cal = defaultCalibrationConfig();
    cal.VoltDivider = "33";
    EXPECT_EQ(loadCalibrationConfig(dir.path()), cal);
}

TEST(SettingsFiles, HeadersAndLayoutPlayNoPartInReading) {
    const auto p = parseProgramConfig("<WSUnits>m/s</WSUnits><Port>4</Port>  <LogOn> 1</LogOn>");
    EXPECT_EQ(p.Port, "4");
    EXPECT_EQ(p.WSUnits, "m/s");
    EXPECT_EQ(p.LogOn, " 1");
}

TEST(SettingsFiles, InstallDefaultsNeverOverwrites) {
    TempDir dir;
    dir.write("prog.cfg", "<Port>2</Port>");
    installDefaultSettings(dir.path());
    EXPECT_EQ(dir.read("prog.cfg"), "<Port>2</Port>");
    EXPECT_EQ(dir.read("settings.cfg"), formatCalibrationConfig(defaultCalibrationConfig()));
}

TEST(SettingsFiles, ShippedDefaultFilesMatchTheBuiltInDefaults) {
    const std::string data = std::string(KORVANE_SOURCE_DIR) + "/data";
    EXPECT_EQ(readWholeFile(data + "/prog.cfg"), formatProgramConfig(defaultProgramConfig()));
    EXPECT_EQ(readWholeFile(data + "/settings.cfg"),
              formatCalibrationConfig(defaultCalibrationConfig()));
}

} // namespace
} // namespace korvane
