#pragma once
// The daily spreadsheet: an HTML table saved as Excel/<day>.xls, which
// spreadsheet programs open as a worksheet.

#include "monitor/reading.h"
#include "platform/files.h"
#include "platform/numbers.h"

#include <optional>

#include <string>

namespace korvane {

inline constexpr const char* kExcelFolder = "/Excel";

// The document start and the bold header row; the wind column is headed by
// the unit in force when the day's file is created.
std::string spreadsheetHeader(const std::string& wsUnits);

// Seven cells: volts, amps, watts, RPM, wind speed, mode text (empty but
// present when the load is off), long time.
std::string spreadsheetRow(const IntervalPeaks& peaks, const std::string& modeText,
                           const std::string& longTime, const NumberFormat& fmt);

std::string spreadsheetPath(const std::string& appFolder, const std::string& day);

// Appends the row (each line followed by CR LF CR LF), preceded by the header
// only when the file did not exist, and flushes it to the disk.  A missing
// Excel folder is created; one that cannot be skips the row.  The header and
// the first row go out in one write.  Empty when written, else what failed.
std::optional<FileFault> writeSpreadsheetRow(const std::string& appFolder, const std::string& day,
                                             const std::string& wsUnits, const IntervalPeaks& peaks,
                                             const std::string& modeText,
                                             const std::string& longTime, const NumberFormat& fmt);

} // namespace korvane
