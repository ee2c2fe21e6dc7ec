#include "calibration_config.h"

#include "tagged_fields.h"

namespace korvane {

namespace {

constexpr TaggedField<CalibrationConfig> kFields[] = {
    {keys::VoltDivider, &CalibrationConfig::VoltDivider},
    {keys::VoltOffset, &CalibrationConfig::VoltOffset},
    {keys::AmpDivider, &CalibrationConfig::AmpDivider},
    {keys::RPMDivider, &CalibrationConfig::RPMDivider},
    {keys::WSDivider, &CalibrationConfig::WSDivider},
};

} // namespace

CalibrationConfig defaultCalibrationConfig() {
    return {"40", "100", "20", "12", "2"};
}

CalibrationConfig parseCalibrationConfig(std::string_view fileText) {
    return readTaggedFields(fileText, defaultCalibrationConfig(), kFields);
}

std::string formatCalibrationConfig(const CalibrationConfig& config) {
    std::string text = "Calibration Settings\r\n\r\n\r\n";
    writeTaggedLines(text, config, kFields);
    return text;
}

} // namespace korvane
