#include "calibration_receiver.h"

#include "config/tag_value.h"

#include <cmath>
#include <optional>

namespace korvane {

namespace {

// A raw field: its text when present and numeric, nothing otherwise (the
// caller reads nothing as 0).
struct RawField {
    std::string_view text;
    double value = 0;
};

std::optional<RawField> rawField(std::string_view packet, std::string_view open,
                                 std::string_view close, const NumberFormat& fmt) {
    const auto text = taggedText(packet, open, close);
    if (!text)
        return std::nullopt;
    const auto value = parseNumber(*text, fmt);
    if (!value)
        return std::nullopt;
    return RawField{*text, *value};
}

// The box's number when it passes the divider's own test.
template <typename Usable>
std::optional<double> divider(const std::string& box, const NumberFormat& fmt, Usable usable) {
    const auto value = parseNumber(box, fmt);
    if (value && usable(*value))
        return value;
    return std::nullopt;
}

bool aboveZero(double d) {
    return d > 0;
}

bool notZero(double d) {
    return d != 0;
}

std::string rounded(double value, int decimals, const NumberFormat& fmt) {
    return formatGeneral(roundHalfEven(value, decimals), fmt);
}

} // namespace

bool CalibrationReceiver::receive(std::string_view bytes, const PreviewInputs& inputs,
                                  const NumberFormat& fmt) {
    CalRxBuffer.append(bytes);
    bool applied = false;
    // Every complete packet is applied so the newest one ends up on screen
    // instead of lagging one packet behind after a burst.
    while (const auto packet = CalRxBuffer.next()) {
        apply(*packet, inputs, fmt);
        applied = true;
    }
    return applied;
}

double CalibrationReceiver::displayedRawAmps() const {
    return roundHalfEven(RawAmps_, 2);
}

void CalibrationReceiver::apply(std::string_view packet, const PreviewInputs& inputs,
                                const NumberFormat& fmt) {
    const auto v = rawField(packet, "<V>", "</V>", fmt);
    const auto i = rawField(packet, "<I>", "</I>", fmt);
    const auto r = rawField(packet, "<R>", "</R>", fmt);
    const auto s = rawField(packet, "<S>", "</S>", fmt);
    RawVolts_ = v ? v->value : 0;
    RawAmps_ = i ? i->value : 0;
    const double rawRpm = r ? r->value : 0;
    const double rawWind = s ? s->value : 0;

    PreviewRPM_ = 1;
    if (const auto d = divider(inputs.boxes.PulseDivider, fmt, aboveZero)) {
        const double rpm = rawRpm / *d * 60;
        if (std::isfinite(rpm))
            PreviewRPM_ = rpm;
    }
    if (const auto d = divider(inputs.boxes.Pulse2Divider, fmt, aboveZero)) {
        const double wind = rawWind / *d;
        if (std::isfinite(wind))
            PreviewWindSpeed_ = wind;
    }

    display_.txtBattV = rounded(RawVolts_, 2, fmt);
    display_.txtShuntV = rounded(RawAmps_, 2, fmt);
    // The pulse counts are shown as the board sent them.
    display_.txtPulsess = r ? std::string(r->text) : "0";
    display_.txtPulsess2 = s ? std::string(s->text) : "0";
    display_.txtWindmillRPM = rounded(PreviewRPM_, 1, fmt) + " RPM";
    display_.txtWindSpeed = rounded(PreviewWindSpeed_, 1, fmt) + " " + inputs.WSUnits;

    if (const auto d = divider(inputs.boxes.BatteryVolts, fmt, aboveZero)) {
        const double volts = RawVolts_ / *d;
        if (std::isfinite(volts))
            display_.txtBattVadjusted = rounded(volts, 2, fmt) + " Volts";
    }
    if (const auto d = divider(inputs.boxes.BatteryCurrent, fmt, notZero)) {
        const double amps = (RawAmps_ - inputs.VoltOffset) / *d;
        if (std::isfinite(amps))
            display_.txtBattAadjusted = rounded(amps, 2, fmt) + " Amps";
    }
}

} // namespace korvane
