#include "power_curve_view.h"

#include "number_text.h"

namespace korvane {

PowerCurveView buildPowerCurveView(const PowerCurveInput& input) {
    PowerCurveView v;
    static const TurbineSettings kNone;
    const TurbineSettings& turbine = input.turbine ? *input.turbine : kNone;
    v.points = outputPoints(input.minutes, turbine, input.choice);
    v.bins = binPowerCurve(v.points, input.binWidth);

    v.hasMaker = turbine.maker.size() >= 2;
    v.makerWatts.assign(v.bins.size(), std::nullopt);
    if (v.hasMaker) {
        const Yardstick maker{YardstickKind::Maker, turbine.maker};
        v.makerIndex = indexPercent(indexSums(v.points, maker));
        // The same winds binned the same way give the same bins in the same
        // order, each holding the mean of the maker's watts over its minutes.
        std::vector<WindPowerPoint> promised = v.points;
        for (WindPowerPoint& p : promised)
            p.watts = curveWattsAt(turbine.maker, p.wind);
        const std::vector<CurveBin> makerBins = binPowerCurve(promised, input.binWidth);
        for (std::size_t i = 0; i < makerBins.size() && i < v.bins.size(); ++i)
            if (makerBins[i].meanWatts > 0)
                v.makerWatts[i] = makerBins[i].meanWatts;
    }

    if (!input.referenceMinutes.empty()) {
        v.referenceBins = binPowerCurve(outputPoints(input.referenceMinutes, turbine, input.choice),
                                        input.binWidth);
        std::vector<CurvePoint> curve = measuredCurve(v.referenceBins);
        v.hasReference = curve.size() >= 2;
        if (v.hasReference)
            v.referenceIndex =
                indexPercent(indexSums(v.points, {YardstickKind::Measured, std::move(curve)}));
    }
    return v;
}

const CurveBin* binAt(std::span<const CurveBin> bins, double wind) {
    for (const CurveBin& b : bins)
        if (wind >= b.windFrom && wind < b.windTo)
            return &b;
    return nullptr;
}

std::string percentText(double percent) {
    return fixedText(percent, 0, NumberFormat{'.'}) + " %";
}

} // namespace korvane
