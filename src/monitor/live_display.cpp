#include "live_display.h"

namespace korvane {

ReadingsLayout readingsLayout(const ProgramConfig& config, const NumberFormat& fmt) {
    ReadingsLayout layout;
    layout.showRpm = isSwitchOn(config.DisplayRPM, fmt);
    layout.showWindSpeed = isSwitchOn(config.DisplayWS, fmt);
    layout.windUnits = config.WSUnits;
    if (layout.showRpm || layout.showWindSpeed)
        layout.fontPoints = 20;
    if (layout.showRpm && layout.showWindSpeed)
        layout.fontPoints = 18;
    return layout;
}

namespace {

std::vector<ReadingRow> rows(const ReadingsLayout& layout, const std::string& volts,
                             const std::string& amps, const std::string& watts,
                             const std::string& wattHours, const std::string& rpm,
                             const std::string& wind) {
    std::vector<ReadingRow> out{
        {volts, "Volts"}, {amps, "Amps"}, {watts, "Watts"}, {wattHours, "WattHours"}};
    if (layout.showRpm)
        out.push_back({rpm, "RPM"});
    if (layout.showWindSpeed)
        out.push_back({wind, layout.windUnits});
    return out;
}

} // namespace

std::vector<ReadingRow> placeholderRows(const ReadingsLayout& layout) {
    const std::string p = "0.0";
    return rows(layout, p, p, p, p, p, p);
}

std::vector<ReadingRow> readingRows(const ReadingsLayout& layout, const Reading& reading,
                                    double wattHours, const NumberFormat& fmt) {
    return rows(layout, formatGeneral(reading.volts, fmt), formatGeneral(reading.amps, fmt),
                formatGeneral(reading.watts, fmt), formatGeneral(roundHalfEven(wattHours, 1), fmt),
                formatGeneral(reading.rpm, fmt), formatGeneral(reading.windSpeed, fmt));
}

std::string liveModeText(std::int16_t mode) {
    return mode == 1 ? "On Load" : "";
}

std::string liveCaption(const Reading& reading, const NumberFormat& fmt) {
    return "Korvane  " + formatGeneral(reading.volts, fmt) + "V " +
           formatGeneral(reading.amps, fmt) + "A";
}

} // namespace korvane
