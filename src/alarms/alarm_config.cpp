#include "alarm_config.h"

#include "config/tagged_fields.h"
#include "platform/files.h"

namespace korvane {

namespace {

using C = AlarmConfig;
namespace k = alarm_keys;

constexpr TaggedField<AlarmConfig> kFields[] = {
    {k::LowVoltsOn, &C::LowVoltsOn},
    {k::LowVolts, &C::LowVolts},
    {k::LowVoltsClear, &C::LowVoltsClear},
    {k::HighVoltsOn, &C::HighVoltsOn},
    {k::HighVolts, &C::HighVolts},
    {k::HighVoltsClear, &C::HighVoltsClear},
    {k::HighAmpsOn, &C::HighAmpsOn},
    {k::HighAmps, &C::HighAmps},
    {k::HighAmpsClear, &C::HighAmpsClear},
    {k::HighRPMOn, &C::HighRPMOn},
    {k::HighRPM, &C::HighRPM},
    {k::HighRPMClear, &C::HighRPMClear},
    {k::HighWindOn, &C::HighWindOn},
    {k::HighWind, &C::HighWind},
    {k::HighWindClear, &C::HighWindClear},
    {k::OutputLowOn, &C::OutputLowOn},
    {k::OutputLow, &C::OutputLow},
    {k::OutputLowClear, &C::OutputLowClear},
    {k::NoDataOn, &C::NoDataOn},
    {k::NoDataMinutes, &C::NoDataMinutes},
    {k::HoldSeconds, &C::HoldSeconds},
    {k::Command, &C::Command},
    {k::BatteryLow, &C::BatteryLow},
    {k::BatteryGood, &C::BatteryGood},
    {k::BatteryFull, &C::BatteryFull},
    {k::IdleBand, &C::IdleBand},
};

// One level alarm's three fields.
struct LevelFields {
    std::string C::*on;
    std::string C::*set;
    std::string C::*clear;
    std::string_view setKey;
    std::string_view clearKey;
    std::string_view name;
    double defaultSet;
    double defaultClear;
    bool low; // raises below its level rather than above
};

constexpr LevelFields kLevels[kLevelAlarmCount] = {
    {&C::LowVoltsOn, &C::LowVolts, &C::LowVoltsClear, k::LowVolts, k::LowVoltsClear, "Battery low",
     11.5, 12.0, true},
    {&C::HighVoltsOn, &C::HighVolts, &C::HighVoltsClear, k::HighVolts, k::HighVoltsClear,
     "Battery high", 14.8, 14.2, false},
    {&C::HighAmpsOn, &C::HighAmps, &C::HighAmpsClear, k::HighAmps, k::HighAmpsClear, "Current high",
     30, 25, false},
    {&C::HighRPMOn, &C::HighRPM, &C::HighRPMClear, k::HighRPM, k::HighRPMClear, "RPM high", 1500,
     1200, false},
    {&C::HighWindOn, &C::HighWind, &C::HighWindClear, k::HighWind, k::HighWindClear, "Wind high",
     25, 20, false},
};

// Judged on a daily index, not on packets, so it sits apart from kLevels.
constexpr LevelFields kOutputLow = {&C::OutputLowOn,
                                    &C::OutputLow,
                                    &C::OutputLowClear,
                                    k::OutputLow,
                                    k::OutputLowClear,
                                    "Turbine output low",
                                    85,
                                    90,
                                    true};

// The battery line's fields, in rising order of volts, and the idle band.
struct BatteryField {
    std::string C::*text;
    std::string_view key;
    double BatteryLevels::*level;
};
constexpr BatteryField kBatteryVolts[] = {
    {&C::BatteryLow, k::BatteryLow, &BatteryLevels::low},
    {&C::BatteryGood, k::BatteryGood, &BatteryLevels::good},
    {&C::BatteryFull, k::BatteryFull, &BatteryLevels::full},
};

constexpr double kDefaultNoDataMinutes = 5;
constexpr double kDefaultHoldSeconds = 10;

struct Caption {
    std::string_view key;
    std::string_view text;
};

constexpr Caption kCaptions[] = {
    {k::LowVolts, "Battery low level"},
    {k::LowVoltsClear, "Battery low clear level"},
    {k::HighVolts, "Battery high level"},
    {k::HighVoltsClear, "Battery high clear level"},
    {k::HighAmps, "Current high level"},
    {k::HighAmpsClear, "Current high clear level"},
    {k::HighRPM, "RPM high level"},
    {k::HighRPMClear, "RPM high clear level"},
    {k::HighWind, "Wind high level"},
    {k::HighWindClear, "Wind high clear level"},
    {k::OutputLow, "Turbine output low level"},
    {k::OutputLowClear, "Turbine output low clear level"},
    {k::NoDataMinutes, "No data minutes"},
    {k::HoldSeconds, "Hold seconds"},
    {k::Command, "Command"},
    {k::BatteryLow, "Battery level low"},
    {k::BatteryGood, "Battery level good"},
    {k::BatteryFull, "Battery level nearly full"},
    {k::IdleBand, "Idle band"},
};

std::string notANumber(std::string_view key) {
    return std::string(alarmFieldCaption(key)) + " must be a number.";
}

bool clearOnSafeSide(const LevelFields& f, double set, double clear) {
    return f.low ? clear >= set : clear <= set;
}

std::string wrongSide(const LevelFields& f) {
    return std::string(alarmFieldCaption(f.clearKey)) + " must be at or " +
           (f.low ? "above" : "below") + " the " + std::string(alarmFieldCaption(f.setKey)) +
           ", so the alarm clears on the safe side.";
}

} // namespace

std::string_view alarmFieldCaption(std::string_view key) {
    for (const Caption& c : kCaptions)
        if (c.key == key)
            return c.text;
    return key;
}

AlarmConfig defaultAlarmConfig(const NumberFormat& fmt) {
    AlarmConfig c;
    auto defaults = [&](const LevelFields& f) {
        c.*f.on = "0";
        c.*f.set = formatGeneral(f.defaultSet, fmt);
        c.*f.clear = formatGeneral(f.defaultClear, fmt);
    };
    for (const LevelFields& f : kLevels)
        defaults(f);
    defaults(kOutputLow);
    c.NoDataOn = "0";
    c.NoDataMinutes = formatGeneral(kDefaultNoDataMinutes, fmt);
    c.HoldSeconds = formatGeneral(kDefaultHoldSeconds, fmt);
    const BatteryLevels battery;
    for (const BatteryField& f : kBatteryVolts)
        c.*f.text = formatGeneral(battery.*f.level, fmt);
    c.IdleBand = formatGeneral(battery.idleBand, fmt);
    return c;
}

AlarmConfig parseAlarmConfig(std::string_view fileText, const NumberFormat& fmt) {
    return readEscapedTaggedFields(fileText, defaultAlarmConfig(fmt), kFields);
}

std::string formatAlarmConfig(const AlarmConfig& config) {
    std::string text = "Alarm Config File\r\n\r\n";
    writeEscapedTaggedLines(text, config, kFields);
    text += "\r\n";
    return text;
}

AlarmConfig loadAlarmConfig(const std::string& appFolder, const NumberFormat& fmt) {
    return parseAlarmConfig(readWholeFile(joinPath(appFolder, kAlarmConfigFile)).value_or(""), fmt);
}

int saveAlarmConfig(const std::string& appFolder, const AlarmConfig& config) {
    return replaceFileReportingError(joinPath(appFolder, kAlarmConfigFile),
                                     formatAlarmConfig(config));
}

std::string alarmsSaveFailedMessage(const std::string& path, int error) {
    return "The alarm settings could not be saved to " + path + " (" + errorText(error) +
           ").\nThe file was left as it was. Check that the folder exists and can be written "
           "to, then press \"Save\" again.";
}

std::string alarmConfigProblem(const AlarmConfig& config, const NumberFormat& fmt) {
    std::string problem;
    alarmSettings(config, fmt, &problem);
    if (problem.empty())
        batteryLevels(config, fmt, &problem);
    return problem;
}

BatteryLevels batteryLevels(const AlarmConfig& config, const NumberFormat& fmt,
                            std::string* problem) {
    std::string first;
    auto note = [&first](std::string message) {
        if (first.empty())
            first = std::move(message);
    };
    const BatteryLevels defaults;
    BatteryLevels levels;
    bool rising = true;
    const BatteryField* below = nullptr;
    for (const BatteryField& f : kBatteryVolts) {
        const auto v = parseNumber(config.*f.text, fmt);
        if (!v)
            note(notANumber(f.key));
        levels.*f.level = v.value_or(defaults.*f.level);
        if (below && v && !(levels.*f.level > levels.*below->level)) {
            note(std::string(alarmFieldCaption(f.key)) + " must be above the " +
                 std::string(alarmFieldCaption(below->key)) + ".");
            rising = false;
        }
        below = &f;
    }
    // One level out of order makes the states overlap: none of the three
    // can then be trusted, so the line uses the defaults until corrected.
    if (!rising || !(levels.low < levels.good && levels.good < levels.full)) {
        levels.low = defaults.low;
        levels.good = defaults.good;
        levels.full = defaults.full;
    }
    const auto band = parseNumber(config.IdleBand, fmt);
    if (band && *band >= 0) {
        levels.idleBand = *band;
    } else {
        note(std::string(alarmFieldCaption(k::IdleBand)) + " must be a number, 0 or more.");
        levels.idleBand = defaults.idleBand;
    }
    if (problem)
        *problem = std::move(first);
    return levels;
}

AlarmSettings alarmSettings(const AlarmConfig& config, const NumberFormat& fmt,
                            std::string* problem) {
    std::string first;
    auto note = [&first](std::string message) {
        if (first.empty())
            first = std::move(message);
    };

    auto readLevel = [&](const LevelFields& f, LevelAlarm& level) {
        level.on = isSwitchOn(config.*f.on, fmt);
        const auto set = parseNumber(config.*f.set, fmt);
        const auto clear = parseNumber(config.*f.clear, fmt);
        if (!set)
            note(notANumber(f.setKey));
        if (!clear)
            note(notANumber(f.clearKey));
        level.set = set.value_or(f.defaultSet);
        level.clear = clear.value_or(f.defaultClear);
        if (!clearOnSafeSide(f, level.set, level.clear)) {
            if (set && clear)
                note(wrongSide(f));
            level.clear = level.set;
        }
    };
    AlarmSettings s;
    for (std::size_t i = 0; i < kLevelAlarmCount; ++i)
        readLevel(kLevels[i], s.levels[i]);
    readLevel(kOutputLow, s.outputLow);

    s.noDataOn = isSwitchOn(config.NoDataOn, fmt);
    const auto minutes = parseNumber(config.NoDataMinutes, fmt);
    if (minutes && *minutes > 0) {
        s.noDataMinutes = *minutes;
    } else {
        note(std::string(alarmFieldCaption(k::NoDataMinutes)) + " must be a number above 0.");
        s.noDataMinutes = kDefaultNoDataMinutes;
    }
    const auto hold = parseNumber(config.HoldSeconds, fmt);
    if (hold && *hold >= 0) {
        s.holdSeconds = *hold;
    } else {
        note(std::string(alarmFieldCaption(k::HoldSeconds)) + " must be a number, 0 or more.");
        s.holdSeconds = kDefaultHoldSeconds;
    }
    s.command = config.Command;

    if (problem)
        *problem = std::move(first);
    return s;
}

} // namespace korvane
