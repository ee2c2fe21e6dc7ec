#pragma once
// Everything a logging tick writes, in order: the log record first (so a
// failing optional output can never cost it), then the web page outputs,
// then the spreadsheet row.

#include "log_record.h"
#include "platform/time_formats.h"

#include <optional>
#include <string>

namespace korvane {

struct TickInputs {
    IntervalPeaks peaks;
    std::int16_t mode = 0;
    double wattHours = 0;
    bool saveHtml = false;
    bool saveExcel = false;
    std::string wsUnits;
};

struct TickResult {
    bool recordWritten = false; // false: held by the writer for a later tick
    bool historyWritten = false;
    bool pageWritten = false;
    bool rowWritten = false;
    // What an output that is switched on could not do this tick.
    std::optional<FileFault> webFault;
    std::optional<FileFault> spreadsheetFault;
};

TickResult writeLoggingTick(LogWriter& log, const std::string& appFolder, const TickInputs& in,
                            const Clock& clock, const TimeFormats& timeFormats,
                            const NumberFormat& fmt);

// The line the main window shows while logging is failing, empty when all is
// well: the log file that cannot be written, why, and how many records wait;
// then any optional output that failed at the last tick.  For example
// "Log not written: /k/logs/2026_12_8.txt: Permission denied; 3 records waiting".
std::string loggingStatusText(const LogWriter& log, const TickResult& lastTick);

} // namespace korvane
