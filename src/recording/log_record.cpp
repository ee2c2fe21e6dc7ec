#include "log_record.h"

#include "platform/files.h"
#include "platform/time_formats.h"

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

bool LogWriter::flushHeld() {
    ensureDirectory(joinPath(appFolder_, kLogsFolder));
    while (!held_.empty()) {
        // Consecutive records of one day go out in one write.
        std::string chunk;
        std::size_t n = 0;
        const std::string& day = held_.front().day;
        while (n < held_.size() && held_[n].day == day)
            chunk += held_[n++].line;
        if (!appendToFile(logFilePath(appFolder_, day), chunk))
            return false;
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return true;
}

bool LogWriter::write(const std::string& day, const std::string& line) {
    held_.push_back({day, line});
    while (held_.size() > kMaxHeld)
        held_.pop_front();
    return flushHeld();
}

} // namespace korvane
