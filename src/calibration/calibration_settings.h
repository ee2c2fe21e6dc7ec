#pragma once
// What the calibration dialog loads from the settings files and what its
// "Save Calibration" writes back.

#include "calibration_receiver.h"
#include "config/calibration_config.h"
#include "config/program_config.h"
#include "platform/numbers.h"
#include "platform/serial_port.h"

#include <cstdint>
#include <optional>
#include <string>

namespace korvane {

// What the dialog says of its port: "Port 3 open", why it is not open
// ("Port 3: in use by another program", "Port 3: waiting for the device", as
// portProblemText says it), or why no port was opened ("No port: \"0\" is not
// a port number").
std::string calibrationPortState(const std::optional<std::int16_t>& port,
                                 const std::string& portText, bool open,
                                 const PortProblem& problem = {});

// The dialog's starting values.
struct CalibrationStart {
    // prog.cfg Port as a 16-bit integer (halves to even, clamped).  Nothing
    // when Port is not a number or below 1 (as in the main window): the
    // dialog then opens no port rather than guessing a device, and works
    // without live values.
    std::optional<std::int16_t> Port;
    std::string PortText; // Port as read, for saying why no port was opened
    std::string WSUnits;  // as read
    // Texts for the divider boxes.  A number is shown in its shortest form
    // (12.50 -> 12.5); a text that is not a number is shown as read, so that
    // saving without touching it keeps what the file held.
    std::string VoltDivider;
    std::string AmpDivider;
    std::string RPMDivider;
    std::string WSDivider; // always exactly as read
    // A VoltOffset that is not a number counts as 0; OffsetV shows that 0, so
    // what "Save Calibration" would write is on screen.
    double VoltOffset = 0;
};

// Missing keys have already taken their defaults in the parsed configs.
CalibrationStart calibrationStart(const ProgramConfig& program,
                                  const CalibrationConfig& calibration, const NumberFormat& fmt);

// "How many pulses per " + WSUnits + "?"
std::string windQuestion(const std::string& wsUnits);

// The offset as OffsetV shows it and settings.cfg stores it: general number
// form, so 0.30 -> "0.3".
std::string offsetText(double voltOffset, const NumberFormat& fmt);

// The settings.cfg values "Save Calibration" writes: the divider texts exactly
// as typed (14.0 stays 14.0, empty stays empty) and the offset number.
CalibrationConfig calibrationToSave(const DividerBoxes& boxes, double voltOffset,
                                    const NumberFormat& fmt);

// Shown when settings.cfg cannot be replaced; the dialog then stays open with
// the port and the edits as they were.
std::string calibrationSaveFailedMessage(const std::string& path);

} // namespace korvane
