#include "service_log.h"

#include <cstdlib>

namespace korvane {

std::string serviceLogLine(LogLevel level, std::string_view text, bool journal) {
    std::string line;
    if (journal) {
        line += '<';
        line += static_cast<char>('0' + static_cast<int>(level));
        line += '>';
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            // CR LF, or several breaks in a row, make one separator.
            while (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n'))
                ++i;
            if (i + 1 < text.size())
                line += "; ";
            continue;
        }
        line += c;
    }
    line += '\n';
    return line;
}

bool ServiceLog::journalFromEnvironment() {
    const char* stream = std::getenv("JOURNAL_STREAM");
    return stream != nullptr && *stream != '\0';
}

void ServiceLog::write(LogLevel level, std::string_view text) {
    const std::string line = serviceLogLine(level, text, journal_);
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fflush(out_);
}

} // namespace korvane
