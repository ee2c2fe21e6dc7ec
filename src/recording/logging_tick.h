#pragma once
// Everything a logging tick writes, in order: the log record first (so a
// failing optional output can never cost it), then the web page outputs,
// then the spreadsheet row.

#include "log_record.h"
#include "platform/time_formats.h"

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
};

TickResult writeLoggingTick(LogWriter& log, const std::string& appFolder, const TickInputs& in,
                            const Clock& clock, const TimeFormats& timeFormats,
                            const NumberFormat& fmt);

} // namespace korvane
