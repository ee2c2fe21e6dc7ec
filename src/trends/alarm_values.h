#pragma once
// An alarm value of the store's `alarms` view with the unit of its alarm.

#include "platform/numbers.h"

#include <string>
#include <string_view>

namespace korvane {

// "11.42 V", "26 km/h", "5 min": the value in the general number form and
// the unit of the alarm named `name` ("Battery low"); the number alone for
// a name no alarm has (an older or newer program's).
std::string alarmValueWithUnit(std::string_view name, double value, std::string_view windUnits,
                               const NumberFormat& fmt);

} // namespace korvane
