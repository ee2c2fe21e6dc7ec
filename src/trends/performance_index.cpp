#include "performance_index.h"

#include <cmath>

namespace korvane {

IndexSums indexSums(std::span<const WindPowerPoint> outputs, const Yardstick& yardstick) {
    IndexSums s;
    for (const WindPowerPoint& p : outputs) {
        const bool inside = insideCurve(yardstick.curve, p.wind);
        if (!inside && yardstick.kind == YardstickKind::Measured)
            continue;
        ++s.minutes;
        if (inside)
            ++s.minutesInCurve;
        s.madeWh += p.watts / 60;
        s.promisedWh += curveWattsAt(yardstick.curve, p.wind) / 60;
    }
    return s;
}

std::optional<double> indexPercent(const IndexSums& sums) {
    if (!(sums.promisedWh > 0) || !std::isfinite(sums.promisedWh) || !std::isfinite(sums.madeWh))
        return std::nullopt;
    const double percent = 100 * sums.madeWh / sums.promisedWh;
    return std::isfinite(percent) ? std::optional<double>(percent) : std::nullopt;
}

std::vector<CurvePoint> measuredCurve(std::span<const CurveBin> bins) {
    std::vector<CurvePoint> curve;
    for (const CurveBin& b : bins)
        if (b.reliable)
            curve.push_back({b.windMid(), b.meanWatts});
    return curve;
}

std::optional<Yardstick> yardstickFor(const TurbineSettings& turbine,
                                      std::span<const TurbineMinute> referenceMinutes,
                                      double binWidth) {
    if (turbine.maker.size() >= 2)
        return Yardstick{YardstickKind::Maker, turbine.maker};
    if (!turbine.reference)
        return std::nullopt;
    const std::vector<WindPowerPoint> points =
        outputPoints(referenceMinutes, turbine, MinuteChoice::All);
    std::vector<CurvePoint> curve = measuredCurve(binPowerCurve(points, binWidth));
    if (curve.size() < 2)
        return std::nullopt;
    return Yardstick{YardstickKind::Measured, std::move(curve)};
}

namespace {

// Calls f(date, sums) for each run of one date in `minutes`.
template <class F>
void forEachDate(std::span<const TurbineMinute> minutes, const TurbineSettings& turbine,
                 const Yardstick& yardstick, F&& f) {
    std::vector<WindPowerPoint> day;
    for (std::size_t at = 0; at < minutes.size();) {
        const int date = minutes[at].date;
        std::size_t end = at;
        while (end < minutes.size() && minutes[end].date == date)
            ++end;
        day = outputPoints(minutes.subspan(at, end - at), turbine, MinuteChoice::All);
        f(date, indexSums(day, yardstick));
        at = end;
    }
}

} // namespace

std::vector<DayIndex> dayIndexes(std::span<const TurbineMinute> minutes,
                                 const TurbineSettings& turbine, const Yardstick& yardstick) {
    std::vector<DayIndex> out;
    forEachDate(minutes, turbine, yardstick, [&](int date, const IndexSums& s) {
        out.push_back({date, s.minutesInCurve >= kMinutesToJudge ? indexPercent(s) : std::nullopt});
    });
    return out;
}

std::optional<double> periodIndex(std::span<const TurbineMinute> minutes,
                                  const TurbineSettings& turbine, const Yardstick& yardstick) {
    IndexSums total;
    bool any = false;
    forEachDate(minutes, turbine, yardstick, [&](int, const IndexSums& s) {
        if (s.minutesInCurve < kMinutesToJudge)
            return;
        any = true;
        total.madeWh += s.madeWh;
        total.promisedWh += s.promisedWh;
        total.minutes += s.minutes;
        total.minutesInCurve += s.minutesInCurve;
    });
    return any ? indexPercent(total) : std::nullopt;
}

std::vector<std::optional<double>>
indexesOfDays(const TurbineSettings& turbine, DateRange range, const std::vector<DayTotal>& days,
              const std::function<const std::vector<TurbineMinute>*(DateRange)>& minutesOf) {
    std::vector<std::optional<double>> out(days.size());
    // The minutes are read only when there is a curve to judge them by.
    const std::vector<TurbineMinute>* reference = nullptr;
    if (turbine.maker.size() < 2) {
        if (!turbine.reference)
            return out;
        reference = minutesOf(*turbine.reference);
        if (!reference)
            return out;
    }
    const std::optional<Yardstick> yardstick =
        yardstickFor(turbine, reference ? std::span<const TurbineMinute>(*reference)
                                        : std::span<const TurbineMinute>());
    if (!yardstick)
        return out;
    const std::vector<TurbineMinute>* minutes = minutesOf(range);
    if (!minutes)
        return out;
    const std::vector<DayIndex> byDate = dayIndexes(*minutes, turbine, *yardstick);
    auto at = byDate.begin();
    for (std::size_t i = 0; i < days.size(); ++i) {
        while (at != byDate.end() && at->date < days[i].date)
            ++at;
        if (at != byDate.end() && at->date == days[i].date)
            out[i] = at->percent;
    }
    return out;
}

} // namespace korvane
