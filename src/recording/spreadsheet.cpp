#include "spreadsheet.h"

#include "platform/files.h"

namespace korvane {

std::string spreadsheetHeader(const std::string& wsUnits) {
    return "<html><body><table><tr><td><b>Volts</b></td><td><b>Amps</b></td><td><b>Watts</b>"
           "</td><td><b>RPM</b></td><td><b>" +
           wsUnits + "</b></td><td><b>Mode</b></td><td><b>Time</b></td></tr>";
}

std::string spreadsheetRow(const IntervalPeaks& peaks, const std::string& modeText,
                           const std::string& longTime, const NumberFormat& fmt) {
    return "<tr><td>" + formatGeneral(peaks.volts, fmt) + "</td><td>" +
           formatGeneral(peaks.amps, fmt) + "</td><td>" + formatGeneral(peaks.watts, fmt) +
           "</td><td>" + formatGeneral(peaks.rpm, fmt) + "</td><td>" +
           formatGeneral(peaks.windSpeed, fmt) + "</td><td>" + modeText + "</td><td>" + longTime +
           "</td></tr>";
}

std::string spreadsheetPath(const std::string& appFolder, const std::string& day) {
    return joinPath(appFolder, kExcelFolder) + "/" + day + ".xls";
}

std::optional<FileFault> writeSpreadsheetRow(const std::string& appFolder, const std::string& day,
                                             const std::string& wsUnits, const IntervalPeaks& peaks,
                                             const std::string& modeText,
                                             const std::string& longTime, const NumberFormat& fmt) {
    const std::string folder = joinPath(appFolder, kExcelFolder);
    if (const int error = ensureDirectoryReportingError(folder); error != 0)
        return FileFault{folder, error};
    const std::string path = spreadsheetPath(appFolder, day);
    std::string text;
    if (!fileExists(path))
        text = spreadsheetHeader(wsUnits) + "\r\n\r\n";
    text += spreadsheetRow(peaks, modeText, longTime, fmt) + "\r\n\r\n";
    if (const int error = appendRecord(path, text); error != 0)
        return FileFault{path, error};
    return std::nullopt;
}

} // namespace korvane
