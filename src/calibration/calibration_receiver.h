#pragma once
// The calibration dialog's view of the serial line: raw packet values and the
// previews the divider boxes would give, rebuilt for every complete packet.

#include "monitor/packet_framer.h"
#include "platform/numbers.h"

#include <string>
#include <string_view>

namespace korvane {

// The divider boxes of the dialog as they stand when a packet arrives, texts
// exactly as typed.
struct DividerBoxes {
    std::string BatteryVolts;   // raw V units per volt
    std::string BatteryCurrent; // raw I units per ampere; negative flips the sign
    std::string PulseDivider;   // R pulses per revolution
    std::string Pulse2Divider;  // S pulses per wind-speed unit
};

// Everything a packet is previewed against.
struct PreviewInputs {
    DividerBoxes boxes;
    double VoltOffset = 0; // raw I value at zero current
    std::string WSUnits;   // appended to the wind-speed preview
};

// The texts of the dialog's value labels.  The raw values start as "0" and the
// previews empty, as the dialog shows them before the first packet.
struct CalibrationDisplay {
    std::string txtBattV = "0";    // raw V, 2 decimals
    std::string txtShuntV = "0";   // raw I, 2 decimals
    std::string txtPulsess = "0";  // raw R as received, or "0"
    std::string txtPulsess2 = "0"; // raw S as received, or "0"
    std::string txtBattVadjusted;  // "12.8 Volts"
    std::string txtBattAadjusted;  // "1.5 Amps"
    std::string txtWindmillRPM;    // "420 RPM"
    std::string txtWindSpeed;      // "8.5 km/h"
    bool operator==(const CalibrationDisplay&) const = default;
};

// The receive step.  Bytes go into `CalRxBuffer`; each packet, from a "[" to
// the first "]" after it, is read on its own:
// - V, I, R and S are taken by the tag rule (first opening tag to first
//   closing tag; a closing tag before its opening tag counts as missing).  A
//   missing or non-numeric field reads as 0; the mode field is not read.
// - The RPM preview is raw R / PulseDivider x 60 when that box holds a number
//   above 0, else 1.  The volts preview needs a BatteryVolts above 0, the wind
//   preview a Pulse2Divider above 0, the current preview a BatteryCurrent
//   other than 0 (negative allowed); without one they keep their last value.
//   A preview that would not be a finite number counts as unusable too.
// - Text before a "[" is dropped, and an unfinished packet waits for the next
//   read, so a read holding the end of one packet and the start of the next
//   never shows the unfinished packet's fields as 0.  When several packets
//   complete in one read they are applied in order; the newest is shown.
class CalibrationReceiver {
public:
    // Appends one read; true when at least one packet was applied.
    bool receive(std::string_view bytes, const PreviewInputs& inputs, const NumberFormat& fmt);

    const CalibrationDisplay& display() const { return display_; }
    double RawVolts() const { return RawVolts_; }
    double RawAmps() const { return RawAmps_; }
    double PreviewRPM() const { return PreviewRPM_; }
    double PreviewWindSpeed() const { return PreviewWindSpeed_; }

    // The raw current as txtShuntV shows it (2 decimals): what "Zero" takes as
    // the new VoltOffset.  0 before the first packet.
    double displayedRawAmps() const;

    // Characters received and not yet part of a complete packet.
    std::string_view pending() const { return CalRxBuffer.pending(); }

private:
    void apply(std::string_view packet, const PreviewInputs& inputs, const NumberFormat& fmt);

    PacketFramer CalRxBuffer;
    double RawVolts_ = 0;
    double RawAmps_ = 0;
    double PreviewRPM_ = 0;
    double PreviewWindSpeed_ = 0;
    CalibrationDisplay display_;
};

} // namespace korvane
