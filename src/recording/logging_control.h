#pragma once
// Checking the logging interval typed in the main window.

#include "platform/numbers.h"

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

inline constexpr const char* kInvalidDelayMessage =
    "Invalid delay period, needs to be a number between 10 and 600";

struct LoggingInterval {
    std::string delayText; // what the interval box shows afterwards
    int periodMs = 0;      // timer period, interval x 1000 rounded (ties to even)
};

// Nothing when the text is not a number.  Above 600 the text becomes "600",
// then below 10 it becomes "10"; any other number keeps the text as typed,
// blanks included, and fractions are honoured (12.5 -> 12500 ms).
std::optional<LoggingInterval> checkLoggingInterval(std::string_view delayText,
                                                    const NumberFormat& fmt);

} // namespace korvane
