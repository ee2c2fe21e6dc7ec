#include "calibration_settings.h"

namespace korvane {

namespace {

std::string shortestOrAsRead(const std::string& text, const NumberFormat& fmt) {
    if (const auto value = parseNumber(text, fmt))
        return formatGeneral(*value, fmt);
    return text;
}

} // namespace

std::string calibrationPortState(const std::optional<std::int16_t>& port,
                                 const std::string& portText, bool open,
                                 const PortProblem& problem) {
    if (!port)
        return "No port: \"" + portText + "\" is not a port number";
    const std::string name = "Port " + std::to_string(*port);
    return open ? name + " open" : name + ": " + portProblemText(problem);
}

CalibrationStart calibrationStart(const ProgramConfig& program,
                                  const CalibrationConfig& calibration, const NumberFormat& fmt) {
    CalibrationStart start;
    if (const auto port = parseNumber(program.Port, fmt); port && toInt16(*port) >= 1)
        start.Port = toInt16(*port);
    start.PortText = program.Port;
    start.WSUnits = program.WSUnits;
    start.VoltDivider = shortestOrAsRead(calibration.VoltDivider, fmt);
    start.AmpDivider = shortestOrAsRead(calibration.AmpDivider, fmt);
    start.RPMDivider = shortestOrAsRead(calibration.RPMDivider, fmt);
    start.WSDivider = calibration.WSDivider;
    start.VoltOffset = parseNumber(calibration.VoltOffset, fmt).value_or(0);
    return start;
}

std::string windQuestion(const std::string& wsUnits) {
    return "How many pulses per " + wsUnits + "?";
}

std::string offsetText(double voltOffset, const NumberFormat& fmt) {
    return formatGeneral(voltOffset, fmt);
}

CalibrationConfig calibrationToSave(const DividerBoxes& boxes, double voltOffset,
                                    const NumberFormat& fmt) {
    return {boxes.BatteryVolts, offsetText(voltOffset, fmt), boxes.BatteryCurrent,
            boxes.PulseDivider, boxes.Pulse2Divider};
}

std::string calibrationSaveFailedMessage(const std::string& path) {
    return "The calibration could not be saved to " + path +
           ".\nThe file was left as it was. Check that the folder exists and can be "
           "written to, then press \"Save Calibration\" again.";
}

} // namespace korvane
