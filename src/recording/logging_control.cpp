#include "logging_control.h"

namespace korvane {

std::optional<LoggingInterval> checkLoggingInterval(std::string_view delayText,
                                                    const NumberFormat& fmt) {
    auto seconds = parseNumber(delayText, fmt);
    if (!seconds)
        return std::nullopt;
    LoggingInterval result{std::string(delayText), 0};
    if (*seconds > 600) {
        result.delayText = "600";
        seconds = 600;
    }
    if (*seconds < 10) {
        result.delayText = "10";
        seconds = 10;
    }
    result.periodMs = static_cast<int>(roundHalfEven(*seconds * 1000, 0));
    return result;
}

} // namespace korvane
