#include "time_formats.h"

#include <algorithm>

namespace korvane {

namespace {
std::string twoDigits(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}
} // namespace

std::string hhmm(int hour, int minute) {
    return twoDigits(hour) + ":" + twoDigits(minute);
}

std::string FixedTimeFormats::shortDate(const LocalDateTime& t) const {
    return std::to_string(t.day) + "/" + twoDigits(t.month) + "/" + std::to_string(t.year);
}

std::string FixedTimeFormats::longTime(const LocalDateTime& t) const {
    return hhmm(t.hour, t.minute) + ":" + twoDigits(t.second);
}

std::string FixedTimeFormats::shortTime(int hour, int minute) const {
    return hhmm(hour, minute);
}

} // namespace korvane

namespace korvane {

namespace {

// Blanks and the separators some locales put between the time and the zone
// name ("13:05:09, UTC"); they mean nothing once the name is gone.
bool joinsZone(char c) {
    return c == ' ' || c == ',' || c == ';' || c == '-';
}

char closingBracketOf(char c) {
    switch (c) {
    case '(':
        return ')';
    case '[':
        return ']';
    case '{':
        return '}';
    default:
        return 0;
    }
}

} // namespace

std::string removeTimeZoneField(const std::string& format) {
    std::string out;
    bool quoted = false;
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c == '\'') {
            quoted = !quoted;
        } else if (!quoted && c == 't') {
            std::size_t next = std::min(format.find_first_not_of('t', i), format.size());
            // Brackets that held only the zone name: "H:mm:ss (t)".
            const std::size_t openEnd = out.find_last_not_of(' ');
            const std::size_t close = format.find_first_not_of(' ', next);
            if (openEnd != std::string::npos && close != std::string::npos &&
                closingBracketOf(out[openEnd]) == format[close]) {
                out.resize(openEnd);
                next = close + 1;
            }
            // A full stop is left alone: after a quoted abbreviation it
            // belongs to the time ("H:mm:ss 'ч'. t").
            while (!out.empty() && joinsZone(out.back()))
                out.pop_back();
            if (out.empty())
                while (next < format.size() && joinsZone(format[next]))
                    ++next;
            i = next;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

char timeSeparator(const std::string& format) {
    const auto h = format.find_first_of("hH");
    if (h == std::string::npos)
        return ':';
    auto i = format.find_first_not_of("hH", h);
    if (i == std::string::npos || format[i] == 'm' || format[i] == '\'')
        return ':';
    return format[i];
}

} // namespace korvane
