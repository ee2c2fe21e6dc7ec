#pragma once
// alarms.cfg: the alarm switches, levels, times and command, held as the
// texts found between the tags, and their reading into AlarmSettings.

#include "alarm_rules.h"
#include "battery_line.h"
#include "platform/numbers.h"

#include <string>
#include <string_view>

namespace korvane {

namespace alarm_keys {
inline constexpr std::string_view LowVoltsOn = "LowVoltsOn";
inline constexpr std::string_view LowVolts = "LowVolts";
inline constexpr std::string_view LowVoltsClear = "LowVoltsClear";
inline constexpr std::string_view HighVoltsOn = "HighVoltsOn";
inline constexpr std::string_view HighVolts = "HighVolts";
inline constexpr std::string_view HighVoltsClear = "HighVoltsClear";
inline constexpr std::string_view HighAmpsOn = "HighAmpsOn";
inline constexpr std::string_view HighAmps = "HighAmps";
inline constexpr std::string_view HighAmpsClear = "HighAmpsClear";
inline constexpr std::string_view HighRPMOn = "HighRPMOn";
inline constexpr std::string_view HighRPM = "HighRPM";
inline constexpr std::string_view HighRPMClear = "HighRPMClear";
inline constexpr std::string_view HighWindOn = "HighWindOn";
inline constexpr std::string_view HighWind = "HighWind";
inline constexpr std::string_view HighWindClear = "HighWindClear";
inline constexpr std::string_view OutputLowOn = "OutputLowOn";
inline constexpr std::string_view OutputLow = "OutputLow";
inline constexpr std::string_view OutputLowClear = "OutputLowClear";
inline constexpr std::string_view NoDataOn = "NoDataOn";
inline constexpr std::string_view NoDataMinutes = "NoDataMinutes";
inline constexpr std::string_view HoldSeconds = "HoldSeconds";
inline constexpr std::string_view Command = "Command";
// The battery line's levels (volts) and idle band (amps), not alarms.
inline constexpr std::string_view BatteryLow = "BatteryLow";
inline constexpr std::string_view BatteryGood = "BatteryGood";
inline constexpr std::string_view BatteryFull = "BatteryFull";
inline constexpr std::string_view IdleBand = "IdleBand";
} // namespace alarm_keys

inline constexpr std::string_view kAlarmConfigFile = "/alarms.cfg";

struct AlarmConfig {
    std::string LowVoltsOn;
    std::string LowVolts;
    std::string LowVoltsClear;
    std::string HighVoltsOn;
    std::string HighVolts;
    std::string HighVoltsClear;
    std::string HighAmpsOn;
    std::string HighAmps;
    std::string HighAmpsClear;
    std::string HighRPMOn;
    std::string HighRPM;
    std::string HighRPMClear;
    std::string HighWindOn;
    std::string HighWind;
    std::string HighWindClear;
    std::string OutputLowOn;
    std::string OutputLow;
    std::string OutputLowClear;
    std::string NoDataOn;
    std::string NoDataMinutes;
    std::string HoldSeconds;
    std::string Command;
    std::string BatteryLow;
    std::string BatteryGood;
    std::string BatteryFull;
    std::string IdleBand;
    bool operator==(const AlarmConfig&) const = default;
};

// A fresh installation: every alarm off; levels for a 12 V battery (low
// 11.5 V cleared at 12, high 14.8 V cleared at 14.2), current 30 A cleared
// at 25, 1500 RPM cleared at 1200, wind 25 cleared at 20 (user's units),
// turbine output 85 % of its curve cleared at 90 %, no data after 5
// minutes, a 10 s hold, no command; the battery line's levels of a 12 V
// lead-acid bank (BatteryLevels).  Numbers are written with the locale's
// decimal separator.  "Log not written" has no switch: it is always on.
AlarmConfig defaultAlarmConfig(const NumberFormat& fmt);

// Reads every key by the tag rule; a missing key takes its default text, a
// present one keeps its text, with "&amp;", "&lt;" and "&gt;" turned back
// into "&", "<" and ">".
AlarmConfig parseAlarmConfig(std::string_view fileText, const NumberFormat& fmt);

// "Alarm Config File", an empty line, one tag line per key and a final
// empty line, every line ending in CR LF.  "&", "<" and ">" in a value are
// written as "&amp;", "&lt;" and "&gt;", so no value can end its tag early
// or pass for another tag.
std::string formatAlarmConfig(const AlarmConfig& config);

// A missing or unreadable file gives the defaults.
AlarmConfig loadAlarmConfig(const std::string& appFolder, const NumberFormat& fmt);
// Atomic replacement; 0, or the errno of the failure (old file untouched).
int saveAlarmConfig(const std::string& appFolder, const AlarmConfig& config);

// The first field the dialog must refuse, as the message to show, naming the
// field as the dialog labels it; empty when all are acceptable.  Levels must
// be numbers, a clear level on the safe side of its set level or equal to it
// (at or above for Battery low and Turbine output low, at or below for the
// others), no-data minutes above 0, hold seconds 0 or more; the battery
// levels numbers rising from low to good to nearly full, the idle band 0 or
// more.  Fields of alarms switched off are checked too, since the file
// keeps them.
std::string alarmConfigProblem(const AlarmConfig& config, const NumberFormat& fmt);

// The settings the monitor runs with.  A switch is on when its text reads as
// 1.  A field the dialog would refuse (a file edited by hand) takes its
// default, and a clear level on the wrong side takes the set level;
// `problem`, when given, receives alarmConfigProblem's message for it.
AlarmSettings alarmSettings(const AlarmConfig& config, const NumberFormat& fmt,
                            std::string* problem = nullptr);

// The battery line's levels.  A field the dialog would refuse takes its
// default, and levels that do not rise take the defaults all three;
// `problem`, when given, receives the first refusal (or empty).
BatteryLevels batteryLevels(const AlarmConfig& config, const NumberFormat& fmt,
                            std::string* problem = nullptr);

// Shown when alarms.cfg cannot be replaced (`error`: the errno); the dialog
// then stays open with the edits.
std::string alarmsSaveFailedMessage(const std::string& path, int error);

// The dialog's label for a field, as messages name it ("Battery low clear level").
std::string_view alarmFieldCaption(std::string_view key);

} // namespace korvane
