#include "alarm_values.h"

#include "alarms/alarm_text.h"

namespace korvane {

std::string alarmValueWithUnit(std::string_view name, double value, std::string_view windUnits,
                               const NumberFormat& fmt) {
    std::string text = formatGeneral(value, fmt);
    for (std::size_t k = 0; k < kAlarmKindCount; ++k) {
        const auto kind = static_cast<AlarmKind>(k);
        if (alarmName(kind) != name)
            continue;
        const std::string_view unit = alarmUnit(kind, windUnits);
        if (!unit.empty())
            text += " " + std::string(unit);
        break;
    }
    return text;
}

} // namespace korvane
