#include "log_record.h"

#include "platform/files.h"
#include "platform/time_formats.h"

#include <algorithm>
#include <vector>

namespace korvane {

std::string dayKey(int year, int month, int day) {
    return std::to_string(year) + "_" + std::to_string(month) + "_" + std::to_string(day);
}

std::string formatLogRecord(const IntervalPeaks& peaks, std::int16_t mode, int hour, int minute,
                            const NumberFormat& fmt) {
    std::string line;
    line.reserve(96);
    line += "<V>";
    line += formatGeneral(peaks.volts, fmt);
    line += "</V><I>";
    line += formatGeneral(peaks.amps, fmt);
    line += "</I><W>";
    line += formatGeneral(peaks.watts, fmt);
    line += "</W><R>";
    line += formatGeneral(peaks.rpm, fmt);
    line += "</R><S>";
    line += formatGeneral(peaks.windSpeed, fmt);
    line += "</S><M>";
    line += std::to_string(mode);
    line += "</M><T>";
    line += hhmm(hour, minute);
    line += "</T>\r\n";
    return line;
}

std::string outputModeText(std::int16_t mode) {
    return mode == 1 ? "Load On" : "";
}

std::string logFilePath(const std::string& appFolder, const std::string& day) {
    return joinPath(appFolder, kLogsFolder) + "/" + day + ".txt";
}

void LogWriter::flushHeld() {
    fault_.reset();
    if (held_.empty())
        return;
    ensureDirectory(joinPath(appFolder_, kLogsFolder));
    std::vector<std::string> days;
    for (const Held& h : held_)
        if (std::find(days.begin(), days.end(), h.day) == days.end())
            days.push_back(h.day);
    for (const std::string& day : days) {
        // A day's waiting records go out in one write, in the order they came.
        std::string chunk;
        for (const Held& h : held_)
            if (h.day == day)
                chunk += h.line;
        const std::string path = logFilePath(appFolder_, day);
        if (const int error = appendRecord(path, chunk); error != 0) {
            if (!fault_)
                fault_ = FileFault{path, error};
            continue;
        }
        std::erase_if(held_, [&](const Held& h) { return h.day == day; });
    }
}

bool LogWriter::write(const std::string& day, const std::string& line) {
    held_.push_back({day, line});
    while (held_.size() > kMaxHeld)
        held_.pop_front();
    flushHeld();
    // A day is written whole or not at all, so the line is out exactly when
    // nothing of its day is left waiting.
    return std::none_of(held_.begin(), held_.end(), [&](const Held& h) { return h.day == day; });
}

} // namespace korvane
