#pragma once
// The web page outputs of a logging tick: a line in the day's history file
// and the user's template filled into html/log.asp.

#include "monitor/reading.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "platform/time_formats.h"

#include <optional>
#include <string>

namespace korvane {

inline constexpr const char* kHtmlFolder = "/html";
inline constexpr const char* kTemplateFile = "/html/template.asp";
inline constexpr const char* kPageFile = "/html/log.asp";

// "history" + the short date with every "/" turned into "_" + ".txt";
// other separators ("-", ".") stay as they are.
std::string historyFileName(const std::string& shortDate);

// Peaks with their units glued on, each followed by TAB TAB, then the mode
// text and TAB TAB, then the long time, then CR LF.
std::string formatHistoryLine(const IntervalPeaks& peaks, const std::string& wsUnits,
                              const std::string& modeText, const std::string& longTime,
                              const NumberFormat& fmt);

// Replaces, in this order and each over the result of the one before,
// "<VV>" "<II>" "<WW>" "<WH>" "<RR>" "<SS>" "<TT>" "<MM>" (case-sensitive,
// every occurrence).  "<WH>" is the unrounded watt-hour total.
std::string fillPageTemplate(std::string page, const IntervalPeaks& peaks, double wattHours,
                             const std::string& longTime, const std::string& modeText,
                             const NumberFormat& fmt);

struct WebOutputResult {
    bool historyWritten = false;
    bool pageWritten = false;
    // What could not be done, first fault first: the html folder, the
    // history file, the template (a missing one is ENOENT) or log.asp.
    std::optional<FileFault> fault;
};

// Writes both outputs for one tick.  A missing html folder is created; one
// that cannot be skips both outputs; a missing template skips only the page.
// The history line is flushed to the disk before this returns, and log.asp is
// replaced atomically so a web server never serves half a page.  Nothing here
// ever throws or blocks.
WebOutputResult writeWebOutputs(const std::string& appFolder, const IntervalPeaks& peaks,
                                double wattHours, const std::string& modeText,
                                const std::string& wsUnits, const Clock& clock,
                                const TimeFormats& timeFormats, const NumberFormat& fmt);

} // namespace korvane
