#include "calibration_config.h"

#include "tag_value.h"

namespace korvane {

namespace {

struct Field {
    std::string_view key;
    std::string CalibrationConfig::*member;
};

constexpr Field kFields[] = {
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
    CalibrationConfig config = defaultCalibrationConfig();
    for (const auto& f : kFields)
        if (auto v = tagValue(fileText, f.key))
            config.*f.member = std::string(*v);
    return config;
}

std::string formatCalibrationConfig(const CalibrationConfig& config) {
    std::string text = "Calibration Settings\r\n\r\n\r\n";
    for (const auto& f : kFields) {
        text += '<';
        text += f.key;
        text += '>';
        text += config.*f.member;
        text += "</";
        text += f.key;
        text += ">\r\n";
    }
    return text;
}

} // namespace korvane
