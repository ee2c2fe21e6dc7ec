#include "packet_decoder.h"

#include "config/tag_value.h"

#include <cmath>
#include <optional>

namespace korvane {

namespace {

constexpr double kInvalid = -1; // the start value: "no usable data"

// Raw value of one field: its number, 0 when absent, -1 when not numeric.
double rawField(const LetterTags& tags, char letter, const NumberFormat& fmt) {
    const auto text = tags.field(letter);
    if (!text)
        return 0;
    return parseNumber(*text, fmt).value_or(kInvalid);
}

// Stores Round(value, decimals) unless it is not a finite number.
void store(double& target, double value, int decimals) {
    if (std::isfinite(value))
        target = roundHalfEven(value, decimals);
}

bool usableDivider(const std::optional<double>& d) {
    return d && *d != 0;
}

} // namespace

Calibration toCalibration(const CalibrationConfig& config, const NumberFormat& fmt) {
    return {parseNumber(config.VoltDivider, fmt), parseNumber(config.VoltOffset, fmt),
            parseNumber(config.AmpDivider, fmt), parseNumber(config.RPMDivider, fmt),
            parseNumber(config.WSDivider, fmt)};
}

Reading decodePacket(std::string_view packet, const Calibration& cal, const NumberFormat& fmt,
                     const Reading& previous) {
    if (const auto open = packet.find('['); open != std::string_view::npos) {
        packet.remove_prefix(open);
        if (const auto close = packet.find(']'); close != std::string_view::npos)
            packet = packet.substr(0, close + 1);
    }

    Reading r = previous;
    const LetterTags tags(packet, "VIRMS");
    const double rawV = rawField(tags, 'V', fmt);
    const double rawI = rawField(tags, 'I', fmt);
    const double rawR = rawField(tags, 'R', fmt);
    if (const auto m = tags.field('M')) {
        const auto number = parseNumber(*m, fmt);
        r.mode = number ? toInt16(*number) : std::int16_t{-1};
    } else {
        r.mode = 0;
    }
    const double rawS = rawField(tags, 'S', fmt);

    if (rawV > kInvalid && usableDivider(cal.voltDivider))
        store(r.volts, rawV / *cal.voltDivider, 2);
    if (rawI > kInvalid && cal.voltOffset && usableDivider(cal.ampDivider))
        store(r.amps, (rawI - *cal.voltOffset) / *cal.ampDivider, 2);
    if (rawR > kInvalid && usableDivider(cal.rpmDivider))
        store(r.rpm, (rawR / *cal.rpmDivider) * 60, 1);
    if (rawS > kInvalid && usableDivider(cal.wsDivider))
        store(r.windSpeed, rawS / *cal.wsDivider, 1);
    store(r.watts, r.amps * r.volts, 2);
    return r;
}

} // namespace korvane
