#pragma once
// What the main window shows of the live state: the readings list rows, the
// mode label and the caption.  The window only puts these texts on screen.

#include "config/program_config.h"
#include "platform/numbers.h"
#include "reading.h"

#include <string>
#include <vector>

namespace korvane {

struct ReadingRow {
    std::string value;
    std::string label;
    bool operator==(const ReadingRow&) const = default;
};

// Which optional rows show, their unit and the list's font size in points:
// 24 with no optional rows, 20 with one, 18 with both.
struct ReadingsLayout {
    bool showRpm = false;
    bool showWindSpeed = false;
    std::string windUnits;
    int fontPoints = 24;
};
ReadingsLayout readingsLayout(const ProgramConfig& config, const NumberFormat& fmt);

// Rows with "0.0" in every value cell, as shown after each settings load.
std::vector<ReadingRow> placeholderRows(const ReadingsLayout& layout);

// Volts, Amps, Watts, WattHours (rounded to 1 decimal), then RPM and the wind
// speed when their rows are on, values in the general number form.
std::vector<ReadingRow> readingRows(const ReadingsLayout& layout, const Reading& reading,
                                    double wattHours, const NumberFormat& fmt);

// "On Load" when the mode is 1, else empty.
std::string liveModeText(std::int16_t mode);

inline constexpr const char* kWaitingCaption = "Korvane - Waiting for Signal";
// "Korvane  12.8V 1.5A" (two spaces after the name).
std::string liveCaption(const Reading& reading, const NumberFormat& fmt);

} // namespace korvane
