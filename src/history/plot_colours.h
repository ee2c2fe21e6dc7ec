#pragma once
// The colours of the history plot and its labels, as red, green, blue.

#include <cstdint>

namespace korvane {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

namespace colours {
inline constexpr Rgb kWindowBackground{96, 96, 96};
inline constexpr Rgb kPlotBackground{64, 64, 64};
inline constexpr Rgb kModeBand{128, 128, 255};
// The reference lines at 0 A and 0 W.  Cyan stands apart from every series
// colour and from the band.
inline constexpr Rgb kZeroLine{0, 255, 255};
inline constexpr Rgb kSelectionLine{255, 0, 0};

// Series lines.
inline constexpr Rgb kVoltsLine{255, 0, 0};
inline constexpr Rgb kAmpsLine{0, 255, 0};
inline constexpr Rgb kWattsLine{0, 0, 255};
inline constexpr Rgb kRpmLine{255, 255, 0};
inline constexpr Rgb kWindSpeedLine{255, 255, 255};

// Scale label texts, which differ from the lines for amps and watts so they
// read on the window's grey.
inline constexpr Rgb kVoltsText{255, 0, 0};
inline constexpr Rgb kAmpsText{0, 192, 0};
inline constexpr Rgb kWattsText{128, 128, 255};
inline constexpr Rgb kRpmText{255, 255, 0};
inline constexpr Rgb kWhiteText{255, 255, 255};

// Switch backgrounds.
inline constexpr Rgb kVoltsSwitch{255, 0, 0};
inline constexpr Rgb kAmpsSwitch{0, 255, 0};
inline constexpr Rgb kWattsSwitch{128, 128, 255};
inline constexpr Rgb kRpmSwitch{255, 255, 0};
inline constexpr Rgb kRefVoltsSwitch{128, 128, 128};
} // namespace colours

} // namespace korvane
