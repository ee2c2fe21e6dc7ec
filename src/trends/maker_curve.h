#pragma once
// A power curve as a table of wind speed and watts (the maker's warranted
// curve, or a measured one standing in for it): reading it from the text of
// turbine.cfg, from rows a user typed and from a two-column CSV file, the
// wind units it may come in, and the watts it promises at a wind speed.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct CurvePoint {
    double wind = 0;  // the wind unit of Program Setup
    double watts = 0; // W
    bool operator==(const CurvePoint&) const = default;
};

// The watts the curve gives at `wind`: straight lines between its points,
// the end points' own watts at the ends, 0 below the first wind and above
// the last (and everywhere for a curve of fewer than 2 points).
double curveWattsAt(std::span<const CurvePoint> curve, double wind);
// Whether `wind` lies from the first point's wind to the last's (ends
// included); false for a curve of fewer than 2 points.
bool insideCurve(std::span<const CurvePoint> curve, double wind);

// A table read from text: its points, or the first problem found.
struct ParsedCurve {
    std::vector<CurvePoint> points;
    std::string problem; // empty when the points are good
    bool ok() const { return problem.empty(); }
};

// One row as typed: the two texts and the row's number as the user sees it.
struct CurveTextRow {
    int number = 0; // 1-based row (dialog) or line (file)
    std::string wind;
    std::string watts;
};

// Checks and converts the rows.  Numbers may use a dot or a comma.  Winds
// are multiplied by `windFactor` (see windFactor below).  Refused, with the
// problem naming `where` and the row's number ("Maker's curve, row 3: ..."):
// a text that is not a number, a negative wind or negative watts, a wind not
// above the row before's, and fewer than 2 rows (no rows at all is a good,
// empty curve: none).
ParsedCurve parseCurveRows(std::span<const CurveTextRow> rows, std::string_view where,
                           double windFactor = 1);

// turbine.cfg's form: "wind:watts" pairs separated by blanks, "12:0 15:60
// 20:150"; an empty text is no curve.  Pairs are numbered in problems.
ParsedCurve parseMakerCurve(std::string_view text);
// The same form from points: dot decimals, the general number form.
std::string formatMakerCurve(std::span<const CurvePoint> curve);

// A two-column CSV (wind speed, watts), fields separated by commas,
// semicolons or tabs, optionally quoted.  A first row whose wind is not a
// number is taken as a header; blank lines are skipped.  Problems name the
// file's line numbers ("line 4: ...").
ParsedCurve parseCurveCsv(std::string_view text, double windFactor = 1);

enum class WindUnit { MetresPerSecond, KilometresPerHour, MilesPerHour, Knots };
inline constexpr WindUnit kWindUnits[] = {WindUnit::MetresPerSecond, WindUnit::KilometresPerHour,
                                          WindUnit::MilesPerHour, WindUnit::Knots};

// "m/s", "km/h", "mph", "knots".
std::string_view windUnitName(WindUnit unit);
// The unit a text names, in any case and with blanks around: the names
// above and "ms", "mps", "kmh", "kph", "km/hr", "kn", "kt", "kts", "knot".
std::optional<WindUnit> windUnitOf(std::string_view text);
// What a wind in `from` is multiplied by to be in `to`: 3.6 from m/s to km/h.
double windFactor(WindUnit from, WindUnit to);

} // namespace korvane
