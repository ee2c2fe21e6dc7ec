#pragma once
// What the alarms say: names, units, the banner line, the recorded event and
// the command's arguments.

#include "alarm_rules.h"
#include "platform/numbers.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane {

// "Battery low", "Battery high", "Current high", "RPM high", "Wind high",
// "No data", "Log not written", "Turbine output low".
std::string_view alarmName(AlarmKind kind);
// The kind of an alarmName (as the history store records it); nullopt for
// a name that is none of them.
std::optional<AlarmKind> alarmKindNamed(std::string_view name);

// The alarm's id for topics and scripts: "battery_low", "battery_high",
// "current_high", "rpm_high", "wind_high", "no_data", "log_not_written",
// "output_low".
std::string_view alarmId(AlarmKind kind);

// V, V, A, RPM, the user's wind units, "min" (whole minutes without a
// packet), "records" (records waiting), "%" (of the turbine's curve).
std::string_view alarmUnit(AlarmKind kind, std::string_view windUnits);

// "<name>: <value> <unit>", the value in the general number form:
// "Battery low: 11.42 V", "Battery low: 11 V" for 11.0.
std::string alarmValueText(AlarmKind kind, double value, std::string_view windUnits,
                           const NumberFormat& fmt);

// Every active alarm in kind order as "<name>: <value> <unit> since HH:mm",
// the value and time those of its raising, joined on one line by three
// blanks: "Battery low: 11.42 V since 14:05   No data: 5 min since 14:07".
// Turbine output low, judged over days, says "Turbine output low: 78 % of
// its curve over 7 days" instead.  Empty when none is active.
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

// The alarm's fields for the command's environment: KORVANE_ALARM (name),
// KORVANE_ALARM_ID (battery_low), KORVANE_STATE (raised or cleared),
// KORVANE_VALUE, KORVANE_UNIT, KORVANE_TIME (HH:mm, local) and
// KORVANE_UTC_SECONDS, the values as the arguments have them.
std::vector<std::pair<std::string, std::string>> alarmCommandEnvironment(const AlarmEvent& event,
                                                                         const LocalDateTime& local,
                                                                         const NumberFormat& fmt);

// What "Test command" runs the command with: the arguments "Test alarm",
// "raised", "12.5" (with the locale's separator), "V" and the local time as
// HH:mm, and the environment such an alarm would have, its
// KORVANE_ALARM_ID being "test".
struct AlarmCommandCall {
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> env;
};
AlarmCommandCall testAlarmCall(const LocalDateTime& local, std::int64_t utcMs,
                               const NumberFormat& fmt);

// A desktop notification's summary ("Battery low" / "Battery low cleared")
// and body ("11.42 V since 14:05" / "12.01 V at 14:20"; a raise of Turbine
// output low: "78 % of its curve over 7 days").
struct AlarmNotice {
    std::string summary;
    std::string body;
};
AlarmNotice alarmNotice(const AlarmEvent& event, const LocalDateTime& local,
                        const NumberFormat& fmt);

} // namespace korvane
