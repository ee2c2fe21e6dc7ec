#pragma once
// The performance index: the energy the turbine made in some minutes over
// the energy a yardstick curve promises for the same minutes' winds, as a
// percentage.  The yardstick is the maker's curve, or the curve measured
// over a reference period.

#include "date_range.h"
#include "power_curve.h"
#include "store/history_store.h"
#include "turbine_output.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace korvane {

enum class YardstickKind {
    Maker,    // the promise is 0 outside the table: the maker promises nothing there
    Measured, // minutes outside the curve are left out: the reference saw no such wind
};

struct Yardstick {
    YardstickKind kind = YardstickKind::Maker;
    std::vector<CurvePoint> curve; // at least 2 points
};

struct IndexSums {
    double madeWh = 0;               // the minutes' outputs, each for 1/60 h
    double promisedWh = 0;           // the curve's watts at their winds, each for 1/60 h
    std::int64_t minutes = 0;        // minutes counted
    std::int64_t minutesInCurve = 0; // of them, with a wind inside the curve
};

// Sums over `outputs` (mean wind, estimated W) as the yardstick's kind says.
IndexSums indexSums(std::span<const WindPowerPoint> outputs, const Yardstick& yardstick);
// 100 x made / promised; nothing when nothing was promised.
std::optional<double> indexPercent(const IndexSums& sums);

// A measured curve as a table: the middle and mean of each reliable bin.
std::vector<CurvePoint> measuredCurve(std::span<const CurveBin> bins);

// The yardstick turbine.cfg asks for: the maker's curve when there is one,
// else the curve of the reference minutes (all of them, binned `binWidth`
// wide) when it has at least 2 reliable bins, else none.
std::optional<Yardstick> yardstickFor(const TurbineSettings& turbine,
                                      std::span<const TurbineMinute> referenceMinutes,
                                      double binWidth = kDefaultBinWidth);

// A day says something only with this many minutes of wind inside the curve.
inline constexpr std::int64_t kMinutesToJudge = 60;

struct DayIndex {
    int date = 0;
    std::optional<double> percent; // nothing: fewer than kMinutesToJudge minutes in the curve
};

// Per date of `minutes` (in date order, as read), over all its minutes.
std::vector<DayIndex> dayIndexes(std::span<const TurbineMinute> minutes,
                                 const TurbineSettings& turbine, const Yardstick& yardstick);

// Each day's index for a table of days (the Days tab, its CSV, the web
// CSV), in the days' order, empty where it cannot be said.  The minutes come
// from `minutesOf` (of the range, and of the reference period when there is
// no maker's curve), which may return null when the store cannot be read.
std::vector<std::optional<double>>
indexesOfDays(const TurbineSettings& turbine, DateRange range, const std::vector<DayTotal>& days,
              const std::function<const std::vector<TurbineMinute>*(DateRange)>& minutesOf);

// The index over every minute of the dates that have kMinutesToJudge
// minutes inside the curve; nothing when no date has ("not enough wind to
// say") or nothing was promised.
std::optional<double> periodIndex(std::span<const TurbineMinute> minutes,
                                  const TurbineSettings& turbine, const Yardstick& yardstick);

} // namespace korvane
