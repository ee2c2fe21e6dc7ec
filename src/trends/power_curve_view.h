#pragma once
// Everything the Power curve tab shows, worked out without a window: the
// chosen minutes' estimated output, its bins, the maker's curve and the
// reference period's bins beside them, and the indexes against both.

#include "performance_index.h"
#include "power_curve.h"
#include "turbine_output.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvane {

struct PowerCurveInput {
    std::span<const TurbineMinute> minutes;
    std::span<const TurbineMinute> referenceMinutes; // empty without a reference period
    const TurbineSettings* turbine = nullptr;
    MinuteChoice choice = MinuteChoice::All;
    double binWidth = kDefaultBinWidth;
};

struct PowerCurveView {
    std::vector<WindPowerPoint> points; // (mean wind, estimated W) of the chosen minutes
    std::vector<CurveBin> bins;         // of `points`
    // Per bin of `bins`: the mean of the maker's watts at its minutes'
    // winds; nothing without a maker's curve or where it promises 0.
    std::vector<std::optional<double>> makerWatts;
    std::vector<CurveBin> referenceBins; // the reference's chosen minutes, same width
    // The range's index against the maker's curve and against the
    // reference's measured curve; nothing without one, or when it promised
    // nothing for the range's winds.
    std::optional<double> makerIndex;
    std::optional<double> referenceIndex;
    bool hasMaker = false;
    bool hasReference = false; // the reference has at least 2 reliable bins
};

PowerCurveView buildPowerCurveView(const PowerCurveInput& input);

// The bin holding `wind`, or nothing.
const CurveBin* binAt(std::span<const CurveBin> bins, double wind);

// "87 %": a percentage rounded to a whole number.
std::string percentText(double percent);

} // namespace korvane
