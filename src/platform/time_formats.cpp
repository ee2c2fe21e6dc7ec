#include "time_formats.h"

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

std::string removeTimeZoneField(const std::string& format) {
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '\'') {
            quoted = !quoted;
            out += c;
            continue;
        }
        if (!quoted && c == 't') {
            while (i + 1 < format.size() && format[i + 1] == 't')
                ++i;
            while (!out.empty() && out.back() == ' ')
                out.pop_back();
            // Drop a blank that followed the field when it led the format.
            if (out.empty())
                while (i + 1 < format.size() && format[i + 1] == ' ')
                    ++i;
            continue;
        }
        out += c;
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
