#include "logging_tick.h"

#include "spreadsheet.h"
#include "web_outputs.h"

namespace korvane {

TickResult writeLoggingTick(LogWriter& log, const std::string& appFolder, const TickInputs& in,
                            const Clock& clock, const TimeFormats& timeFormats,
                            const NumberFormat& fmt) {
    TickResult result;
    const LocalDateTime now = clock.now();
    const std::string day = dayKey(now);
    const std::string modeText = outputModeText(in.mode);

    result.recordWritten =
        log.write(day, formatLogRecord(in.peaks, in.mode, now.hour, now.minute, fmt));
    if (in.saveHtml) {
        const auto web = writeWebOutputs(appFolder, in.peaks, in.wattHours, modeText, in.wsUnits,
                                         clock, timeFormats, fmt);
        result.historyWritten = web.historyWritten;
        result.pageWritten = web.pageWritten;
    }
    if (in.saveExcel)
        result.rowWritten = writeSpreadsheetRow(appFolder, day, in.wsUnits, in.peaks, modeText,
                                                timeFormats.longTime(clock.now()), fmt);
    return result;
}

} // namespace korvane
