#include "alarm_text.h"

#include "platform/time_formats.h"

namespace korvane {

namespace {

constexpr std::string_view kNames[kAlarmKindCount] = {
    "Battery low", "Battery high", "Current high",   "RPM high",
    "Wind high",   "No data",      "Log not written"};

constexpr std::string_view kUnits[kAlarmKindCount] = {"V", "V", "A", "RPM", "", "min", "records"};

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

AlarmNotice alarmNotice(const AlarmEvent& event, const LocalDateTime& local,
                        const NumberFormat& fmt) {
    const bool raised = event.change == "raised";
    AlarmNotice n;
    n.summary = raised ? event.name : event.name + " cleared";
    appendValue(n.body, event.value, event.unit, fmt);
    n.body += raised ? " since " : " at ";
    n.body += hhmm(local.hour, local.minute);
    return n;
}

} // namespace korvane
