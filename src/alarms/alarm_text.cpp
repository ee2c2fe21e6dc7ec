#include "alarm_text.h"

#include "platform/time_formats.h"

namespace korvane {

namespace {

constexpr std::string_view kNames[kAlarmKindCount] = {
    "Battery low", "Battery high", "Current high",    "RPM high",
    "Wind high",   "No data",      "Log not written", "Turbine output low"};

constexpr std::string_view kIds[kAlarmKindCount] = {
    "battery_low", "battery_high", "current_high",    "rpm_high",
    "wind_high",   "no_data",      "log_not_written", "output_low"};

constexpr std::string_view kUnits[kAlarmKindCount] = {"V", "V",   "A",       "RPM",
                                                      "",  "min", "records", "%"};

constexpr std::string_view kOverTheWeek = " of its curve over 7 days";

void appendValue(std::string& out, double value, std::string_view unit, const NumberFormat& fmt) {
    out += formatGeneral(value, fmt);
    if (!unit.empty()) {
        out += ' ';
        out += unit;
    }
}

} // namespace

std::string_view alarmName(AlarmKind kind) {
    return kNames[index(kind)];
}

std::optional<AlarmKind> alarmKindNamed(std::string_view name) {
    for (std::size_t i = 0; i < kAlarmKindCount; ++i)
        if (kNames[i] == name)
            return static_cast<AlarmKind>(i);
    return std::nullopt;
}

std::string_view alarmId(AlarmKind kind) {
    return kIds[index(kind)];
}

std::string_view alarmUnit(AlarmKind kind, std::string_view windUnits) {
    return kind == AlarmKind::WindHigh ? windUnits : kUnits[index(kind)];
}

std::string alarmValueText(AlarmKind kind, double value, std::string_view windUnits,
                           const NumberFormat& fmt) {
    std::string out(alarmName(kind));
    out += ": ";
    appendValue(out, value, alarmUnit(kind, windUnits), fmt);
    return out;
}

std::string alarmBanner(const AlarmEngine& engine, std::string_view windUnits,
                        const NumberFormat& fmt) {
    std::string out;
    for (std::size_t i = 0; i < kAlarmKindCount; ++i) {
        const auto kind = static_cast<AlarmKind>(i);
        const ActiveAlarm& a = engine.state(kind);
        if (!a.active)
            continue;
        if (!out.empty())
            out += "   ";
        out += alarmValueText(kind, a.value, windUnits, fmt);
        if (kind == AlarmKind::OutputLow) {
            out += kOverTheWeek;
            continue;
        }
        out += " since ";
        out += hhmm(a.raisedLocal.hour, a.raisedLocal.minute);
    }
    return out;
}

AlarmEvent alarmEvent(const AlarmChange& change, std::int64_t utcMs, std::string_view windUnits) {
    AlarmEvent e;
    // Floor, so a moment before 1970 does not round towards it.
    e.utcSeconds = utcMs >= 0 ? utcMs / 1000 : -((-utcMs + 999) / 1000);
    e.kind = change.kind;
    e.name = std::string(alarmName(change.kind));
    e.change = change.raised ? "raised" : "cleared";
    e.value = change.value;
    e.unit = std::string(alarmUnit(change.kind, windUnits));
    return e;
}

std::vector<std::string> alarmCommandArguments(const AlarmEvent& event, const LocalDateTime& local,
                                               const NumberFormat& fmt) {
    return {event.name, event.change, formatGeneral(event.value, fmt), event.unit,
            hhmm(local.hour, local.minute)};
}

std::vector<std::pair<std::string, std::string>> alarmCommandEnvironment(const AlarmEvent& event,
                                                                         const LocalDateTime& local,
                                                                         const NumberFormat& fmt) {
    return {{"KORVANE_ALARM", event.name},
            {"KORVANE_ALARM_ID", std::string(alarmId(event.kind))},
            {"KORVANE_STATE", event.change},
            {"KORVANE_VALUE", formatGeneral(event.value, fmt)},
            {"KORVANE_UNIT", event.unit},
            {"KORVANE_TIME", hhmm(local.hour, local.minute)},
            {"KORVANE_UTC_SECONDS", std::to_string(event.utcSeconds)}};
}

AlarmCommandCall testAlarmCall(const LocalDateTime& local, std::int64_t utcMs,
                               const NumberFormat& fmt) {
    AlarmEvent e = alarmEvent({AlarmKind::BatteryLow, true, 12.5}, utcMs, {});
    e.name = "Test alarm";
    AlarmCommandCall call{alarmCommandArguments(e, local, fmt),
                          alarmCommandEnvironment(e, local, fmt)};
    for (auto& [name, value] : call.env)
        if (name == "KORVANE_ALARM_ID")
            value = "test";
    return call;
}

AlarmNotice alarmNotice(const AlarmEvent& event, const LocalDateTime& local,
                        const NumberFormat& fmt) {
    const bool raised = event.change == "raised";
    AlarmNotice n;
    n.summary = raised ? event.name : event.name + " cleared";
    appendValue(n.body, event.value, event.unit, fmt);
    if (raised && event.kind == AlarmKind::OutputLow) {
        n.body += kOverTheWeek;
        return n;
    }
    n.body += raised ? " since " : " at ";
    n.body += hhmm(local.hour, local.minute);
    return n;
}

} // namespace korvane
