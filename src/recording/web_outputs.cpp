#include "web_outputs.h"

#include "platform/files.h"

#include <cerrno>

namespace korvane {

namespace {

void replaceAll(std::string& text, std::string_view from, const std::string& to) {
    std::string out;
    std::size_t start = 0;
    for (auto pos = text.find(from); pos != std::string::npos; pos = text.find(from, start)) {
        out.append(text, start, pos - start);
        out += to;
        start = pos + from.size();
    }
    if (start == 0)
        return;
    out.append(text, start, std::string::npos);
    text.swap(out);
}

} // namespace

std::string historyFileName(const std::string& shortDate) {
    std::string name = shortDate;
    for (char& c : name)
        if (c == '/')
            c = '_';
    return "history" + name + ".txt";
}

std::string formatHistoryLine(const IntervalPeaks& peaks, const std::string& wsUnits,
                              const std::string& modeText, const std::string& longTime,
                              const NumberFormat& fmt) {
    return formatGeneral(peaks.volts, fmt) + "V\t\t" + formatGeneral(peaks.amps, fmt) + "A\t\t" +
           formatGeneral(peaks.watts, fmt) + "W\t\t" + formatGeneral(peaks.rpm, fmt) + "RPM\t\t" +
           formatGeneral(peaks.windSpeed, fmt) + wsUnits + "\t\t" + modeText + "\t\t" + longTime +
           "\r\n";
}

std::string fillPageTemplate(std::string page, const IntervalPeaks& peaks, double wattHours,
                             const std::string& longTime, const std::string& modeText,
                             const NumberFormat& fmt) {
    replaceAll(page, "<VV>", formatGeneral(peaks.volts, fmt));
    replaceAll(page, "<II>", formatGeneral(peaks.amps, fmt));
    replaceAll(page, "<WW>", formatGeneral(peaks.watts, fmt));
    replaceAll(page, "<WH>", formatGeneral(wattHours, fmt));
    replaceAll(page, "<RR>", formatGeneral(peaks.rpm, fmt));
    replaceAll(page, "<SS>", formatGeneral(peaks.windSpeed, fmt));
    replaceAll(page, "<TT>", longTime);
    replaceAll(page, "<MM>", modeText);
    return page;
}

WebOutputResult writeWebOutputs(const std::string& appFolder, const IntervalPeaks& peaks,
                                double wattHours, const std::string& modeText,
                                const std::string& wsUnits, const Clock& clock,
                                const TimeFormats& timeFormats, const NumberFormat& fmt) {
    WebOutputResult result;
    const std::string folder = joinPath(appFolder, kHtmlFolder);
    if (const int error = ensureDirectoryReportingError(folder); error != 0) {
        result.fault = FileFault{folder, error};
        return result;
    }

    const LocalDateTime now = clock.now();
    const std::string historyPath = folder + "/" + historyFileName(timeFormats.shortDate(now));
    const int historyError =
        appendRecord(historyPath, formatHistoryLine(peaks, wsUnits, modeText,
                                                    timeFormats.longTime(clock.now()), fmt));
    result.historyWritten = historyError == 0;
    if (historyError != 0)
        result.fault = FileFault{historyPath, historyError};

    const std::string templatePath = joinPath(appFolder, kTemplateFile);
    errno = 0;
    const auto page = readWholeFile(templatePath);
    if (!page) {
        if (!result.fault)
            result.fault = FileFault{templatePath, errno != 0 ? errno : ENOENT};
        return result;
    }
    const std::string filled =
        fillPageTemplate(*page, peaks, wattHours, timeFormats.longTime(clock.now()), modeText, fmt);
    const std::string pagePath = joinPath(appFolder, kPageFile);
    const int pageError = replaceFileReportingError(pagePath, filled + "\r\n");
    result.pageWritten = pageError == 0;
    if (pageError != 0 && !result.fault)
        result.fault = FileFault{pagePath, pageError};
    return result;
}

} // namespace korvane
