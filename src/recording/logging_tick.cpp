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
        result.webFault = web.fault;
    }
    if (in.saveExcel) {
        result.spreadsheetFault = writeSpreadsheetRow(
            appFolder, day, in.wsUnits, in.peaks, modeText, timeFormats.longTime(clock.now()), fmt);
        result.rowWritten = !result.spreadsheetFault;
    }
    return result;
}

namespace {

std::string describe(const FileFault& fault) {
    return fault.path + ": " + errorText(fault.error);
}

} // namespace

std::string loggingStatusText(const LogWriter& log, const TickResult& lastTick) {
    std::string text;
    const auto add = [&](const std::string& part) {
        if (!text.empty())
            text += "; ";
        text += part;
    };
    if (log.held() > 0) {
        std::string part = "Log not written: ";
        if (log.fault())
            part += describe(*log.fault()) + "; ";
        part +=
            std::to_string(log.held()) + (log.held() == 1 ? " record" : " records") + " waiting";
        add(part);
    }
    if (lastTick.webFault)
        add("Web page not written: " + describe(*lastTick.webFault));
    if (lastTick.spreadsheetFault)
        add("Spreadsheet not written: " + describe(*lastTick.spreadsheetFault));
    return text;
}

} // namespace korvane
