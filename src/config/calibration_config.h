#pragma once
// settings.cfg: the five calibration values, held as texts and converted to
// numbers where they are used.

#include <string>
#include <string_view>

namespace korvane {

namespace keys {
inline constexpr std::string_view VoltDivider = "VoltDivider";
inline constexpr std::string_view VoltOffset = "VoltOffset";
inline constexpr std::string_view AmpDivider = "AmpDivider";
inline constexpr std::string_view RPMDivider = "RPMDivider";
inline constexpr std::string_view WSDivider = "WSDivider";
} // namespace keys

inline constexpr std::string_view kCalibrationConfigFile = "/settings.cfg";

struct CalibrationConfig {
    std::string VoltDivider; // raw V units per volt
    std::string VoltOffset;  // raw I value at zero current
    std::string AmpDivider;  // raw I units per ampere (may be negative)
    std::string RPMDivider;  // pulses per revolution in one R value
    std::string WSDivider;   // S pulses per unit of wind speed
    bool operator==(const CalibrationConfig&) const = default;
};

// The calibration that matches the board simulator: 40 raw units per volt,
// 100 at zero current, 20 per ampere, 12 pulses per revolution, 2 pulses per
// unit of wind speed.
CalibrationConfig defaultCalibrationConfig();

// Missing keys take their default text, like parseProgramConfig.
CalibrationConfig parseCalibrationConfig(std::string_view fileText);

// The exact bytes of settings.cfg: "Calibration Settings", two empty lines and
// the five tag lines, every line (the last too) ending with CR LF.
std::string formatCalibrationConfig(const CalibrationConfig& config);

} // namespace korvane
