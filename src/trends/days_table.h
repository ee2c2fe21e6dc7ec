#pragma once
// The Days table: one row per stored date of a range, its cells as text and
// as numbers for sorting, and the same table as RFC 4180 CSV.  The day's
// performance index comes from the minutes, not the `days` view, so it is
// passed in beside the day.

#include "platform/numbers.h"
#include "store/history_store.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

enum class DayColumn {
    Day,           // ISO date "2026-12-08"
    Energy,        // Wh, 0.01; empty for a date known only from an imported log
    VoltsMin,      // V, 0.01
    VoltsMax,      // V, 0.01
    WattsMax,      // W, 0.01
    WindMax,       // wind units, 0.1
    LoadOnMinutes, // minutes, 0.01
    Packets,       // count
    Index,         // percent, 0.1; empty when the day cannot say (see performance_index.h)
};
inline constexpr int kDayColumns = 9;

// The decimals a column is written with: 2, except wind and index 1, packets 0.
int dayColumnDecimals(DayColumn column);

// Column titles; the wind column carries the wind unit: "Max wind (km/h)".
std::vector<std::string> dayColumnTitles(const std::string& windUnits);

// The cell as a number, rounded as it is written ("2026-12-08" is 20261208);
// nothing when unknown.  `index` is the day's index in percent.
std::optional<double> dayCellValue(const DayTotal& day, DayColumn column,
                                   std::optional<double> index = std::nullopt);
// The cell as text with the given decimal separator, in the general number
// form; "" when unknown.
std::string dayCellText(const DayTotal& day, DayColumn column, const NumberFormat& fmt,
                        std::optional<double> index = std::nullopt);
// The same with exactly dayColumnDecimals decimals, so a column lines up:
// "1234.50", "12.80".
std::string dayCellFixedText(const DayTotal& day, DayColumn column, const NumberFormat& fmt,
                             std::optional<double> index = std::nullopt);

// "2026-12-08" for 20261208.
std::string isoDate(int date);

// A field quoted when it holds a comma, a quote, CR or LF, quotes doubled.
std::string csvField(std::string_view text);
// The header row and one row per day, dot decimals, CR LF after every row,
// unknown values as empty fields.  `indexes` holds each day's index by
// position (missing or empty: unknown).
std::string daysCsv(const std::vector<DayTotal>& days, const std::string& windUnits,
                    const std::vector<std::optional<double>>& indexes = {});

} // namespace korvane
