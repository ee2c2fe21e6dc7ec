// What the calibration dialog loads and what "Save Calibration" writes.

#include "calibration/calibration_settings.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

const NumberFormat kPoint{'.'};

ProgramConfig programWithPort(const char* port) {
    ProgramConfig p = defaultProgramConfig();
    p.Port = port;
    return p;
}

TEST(CalibrationStart, PortIsASixteenBitIntegerOrNothing) {
    const struct {
        const char* text;
        std::optional<std::int16_t> port;
    } cases[] = {
        {"2", 2},           {" 3 ", 3},       {"1.5", 2},
        {"2.5", 2},         {"99999", 32767}, {"abc", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            calibrationStart(programWithPort(c.text), defaultCalibrationConfig(), kPoint).Port,
            c.port)
            << c.text;
}

TEST(CalibrationStart, BoxesShowNumbersInShortestFormAndOtherTextAsRead) {
    const CalibrationConfig file{"12.50", "0.30", "abc", "14.0", "2.50"};
    const CalibrationStart start = calibrationStart(defaultProgramConfig(), file, kPoint);
    EXPECT_EQ(start.VoltDivider, "12.5");
    EXPECT_EQ(start.VoltOffset, 0.3);
    EXPECT_EQ(start.AmpDivider, "abc");
    EXPECT_EQ(start.RPMDivider, "14");
    EXPECT_EQ(start.WSDivider, "2.50");
    EXPECT_EQ(start.WSUnits, "km/h");
}

TEST(CalibrationStart, OffsetThatIsNotANumberCountsAsZero) {
    CalibrationConfig file = defaultCalibrationConfig();
    file.VoltOffset = "n/a";
    EXPECT_EQ(calibrationStart(defaultProgramConfig(), file, kPoint).VoltOffset, 0);
}

TEST(CalibrationStart, DecimalComma) {
    const CalibrationConfig file{"12,50", "0,30", "20", "14", "1"};
    const CalibrationStart start =
        calibrationStart(defaultProgramConfig(), file, NumberFormat{','});
    EXPECT_EQ(start.VoltDivider, "12,5");
    EXPECT_EQ(start.VoltOffset, 0.3);
}

TEST(CalibrationSave, WritesTypedDividersAndTheShortestOffset) {
    const DividerBoxes boxes{"12.5", "20", "14", "1"};
    EXPECT_EQ(formatCalibrationConfig(calibrationToSave(boxes, 0.30, kPoint)),
              "Calibration Settings\r\n\r\n\r\n"
              "<VoltDivider>12.5</VoltDivider>\r\n<VoltOffset>0.3</VoltOffset>\r\n"
              "<AmpDivider>20</AmpDivider>\r\n<RPMDivider>14</RPMDivider>\r\n"
              "<WSDivider>1</WSDivider>\r\n");
}

TEST(CalibrationSave, DividerTextsAreNotConvertedOrChecked) {
    const DividerBoxes boxes{"14.0", "", " -20 ", "abc"};
    const CalibrationConfig saved = calibrationToSave(boxes, 100.12, kPoint);
    EXPECT_EQ(saved, (CalibrationConfig{"14.0", "100.12", "", " -20 ", "abc"}));
}

TEST(CalibrationSave, OffsetUsesTheLocaleSeparator) {
    EXPECT_EQ(calibrationToSave({}, 0.1 + 0.2, NumberFormat{','}).VoltOffset, "0,3");
    EXPECT_EQ(offsetText(-5, kPoint), "-5");
}

TEST(CalibrationTexts, WindQuestionNamesTheUnit) {
    EXPECT_EQ(windQuestion("km/h"), "How many pulses per km/h?");
    EXPECT_EQ(windQuestion(""), "How many pulses per ?");
}

TEST(CalibrationTexts, PortStateGivesTheReasonAPortIsNotOpen) {
    const std::optional<std::int16_t> three = 3;
    const struct {
        std::optional<std::int16_t> port;
        bool open;
        PortProblem problem;
        const char* want;
    } cases[] = {
        {three, true, {}, "Port 3 open"},
        {three, false, {}, "Port 3: waiting for the device"},
        {three,
         false,
         {PortFault::NoDevice, "No such file or directory"},
         "Port 3: waiting for the device"},
        {three,
         false,
         {PortFault::Busy, "Device or resource busy"},
         "Port 3: in use by another program"},
        {three,
         false,
         {PortFault::NoPermission, "Permission denied"},
         "Port 3: no permission: add your user to the dialout group, then log in again"},
        {three, false, {PortFault::Other, "not a serial device"}, "Port 3: not a serial device"},
        {std::nullopt, false, {PortFault::Busy, ""}, "No port: \"x\" is not a port number"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(calibrationPortState(c.port, "x", c.open, c.problem), c.want);
}

} // namespace
} // namespace korvane
