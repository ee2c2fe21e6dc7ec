#pragma once
// Turns one device packet into calibrated values.

#include "config/calibration_config.h"
#include "platform/numbers.h"
#include "reading.h"

#include <optional>
#include <string_view>

namespace korvane {

// The calibration texts converted once; a value that is not a number is empty.
struct Calibration {
    std::optional<double> voltDivider;
    std::optional<double> voltOffset;
    std::optional<double> ampDivider;
    std::optional<double> rpmDivider;
    std::optional<double> wsDivider;
};
Calibration toCalibration(const CalibrationConfig& config, const NumberFormat& fmt);

// Decodes the fields V, I, R, M and S of `packet` (cut to "[" .. first "]"
// first) over `previous`:
// - a numeric field above -1 updates its quantity (volts = V / VoltDivider,
//   amps = (I - VoltOffset) / AmpDivider, rpm = R / RPMDivider x 60,
//   windSpeed = S / WSDivider), rounded with ties to even;
// - a missing field counts as raw 0; an empty or non-numeric one, or one of
//   -1 or less, leaves its quantity as it was;
// - mode: the M number as a 16-bit integer, 0 when missing, -1 when bad;
// - watts = amps x volts (rounded to 2) from the stored values, always.
// A divider that is 0 or not a number, a VoltOffset that is not a number, or
// a result too large for a double leaves that quantity unchanged, so no
// infinity or NaN ever leaves this function.
Reading decodePacket(std::string_view packet, const Calibration& calibration,
                     const NumberFormat& fmt, const Reading& previous);

} // namespace korvane
