#pragma once
// What the alarms say: names, units, the banner line, the recorded event and
// the command's arguments.

#include "alarm_rules.h"
#include "platform/numbers.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// "Battery low", "Battery high", "Current high", "RPM high", "Wind high",
// "No data", "Log not written".
std::string_view alarmName(AlarmKind kind);

// V, V, A, RPM, the user's wind units, "min" (whole minutes without a
// packet), "records" (records waiting).
std::string_view alarmUnit(AlarmKind kind, std::string_view windUnits);

// "<name>: <value> <unit>", the value in the general number form:
// "Battery low: 11.42 V", "Battery low: 11 V" for 11.0.
std::string alarmValueText(AlarmKind kind, double value, std::string_view windUnits,
                           const NumberFormat& fmt);

// Every active alarm in kind order as "<name>: <value> <unit> since HH:mm",
// the value and time those of its raising, joined on one line by three
// blanks: "Battery low: 11.42 V since 14:05   No data: 5 min since 14:07".
// Empty when none is active.
std::string alarmBanner(const AlarmEngine& engine, std::string_view windUnits,
                        const NumberFormat& fmt);

// A raise or clear as the history records it.
struct AlarmEvent {
    std::int64_t utcSeconds = 0; // seconds since 1970-01-01 00:00 UTC
    AlarmKind kind = AlarmKind::BatteryLow;
    std::string name;   // alarmName
    std::string change; // "raised" or "cleared"
    double value = 0;   // as AlarmChange::value
    std::string unit;   // alarmUnit
    bool operator==(const AlarmEvent&) const = default;
};

AlarmEvent alarmEvent(const AlarmChange& change, std::int64_t utcMs, std::string_view windUnits);

// The five arguments of the alarm command: name, "raised" or "cleared",
// value (general number form), unit and the local time as HH:mm.
std::vector<std::string> alarmCommandArguments(const AlarmEvent& event, const LocalDateTime& local,
                                               const NumberFormat& fmt);

// A desktop notification's summary ("Battery low" / "Battery low cleared")
// and body ("11.42 V since 14:05" / "12.01 V at 14:20").
struct AlarmNotice {
    std::string summary;
    std::string body;
};
AlarmNotice alarmNotice(const AlarmEvent& event, const LocalDateTime& local,
                        const NumberFormat& fmt);

} // namespace korvane
