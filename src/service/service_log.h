#pragma once
// korvaned's diagnostics: one line per event on standard error, the way the
// journal expects.  Under systemd (JOURNAL_STREAM set) each line starts with
// its syslog priority ("<4>"), so `journalctl -p warning` finds the
// problems; started by hand the lines are plain.

#include <cstdio>
#include <string>
#include <string_view>

namespace korvane {

enum class LogLevel { Error = 3, Warning = 4, Notice = 5, Info = 6 };

// The line as written, ending in a line feed.  Line breaks inside `text`
// become "; " so an event is always one line.
std::string serviceLogLine(LogLevel level, std::string_view text, bool journal);

class ServiceLog {
public:
    explicit ServiceLog(bool journal, std::FILE* out = stderr) : journal_(journal), out_(out) {}
    // Whether standard error goes to the journal.
    static bool journalFromEnvironment();

    void write(LogLevel level, std::string_view text);
    void info(std::string_view text) { write(LogLevel::Info, text); }
    void notice(std::string_view text) { write(LogLevel::Notice, text); }
    void warning(std::string_view text) { write(LogLevel::Warning, text); }
    void error(std::string_view text) { write(LogLevel::Error, text); }

private:
    bool journal_;
    std::FILE* out_;
};

} // namespace korvane
