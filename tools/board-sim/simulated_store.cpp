#include "simulated_store.h"

#include "board_model.h"
#include "store/day_date.h"
#include "store/minute_aggregator.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <span>

namespace korvane::sim {

namespace {

// A reading as the default calibration decodes the model's raw sample.
Reading readingOf(const RawSample& s) {
    Reading r;
    r.volts = static_cast<double>(s.v) / 40.0;
    r.amps = static_cast<double>(s.i - 100) / 20.0;
    r.watts = std::round(r.volts * r.amps * 100) / 100;
    r.rpm = static_cast<double>(s.r) * 5;
    r.windSpeed = static_cast<double>(s.s) / 2;
    r.mode = static_cast<std::int16_t>(s.m);
    return r;
}

std::int64_t utcMidnight(int date) {
    using namespace std::chrono;
    const sys_days d{year_month_day(year(date / 10000),
                                    month(static_cast<unsigned>(date / 100 % 100)),
                                    day(static_cast<unsigned>(date % 100)))};
    return static_cast<std::int64_t>(d.time_since_epoch().count()) * 86400;
}

} // namespace

std::vector<MinuteSummary> simulatedMinutes(const SimulatedStore& plan) {
    std::vector<MinuteSummary> out;
    if (plan.days <= 0)
        return out;
    out.reserve(static_cast<std::size_t>(plan.days) * 1440);
    BoardModel model(plan.seed);
    MinuteAggregator agg;
    const std::int64_t startMs = utcMidnight(plan.firstDate) * 1000;
    const std::int64_t endMs = startMs + plan.days * 86400LL * 1000;
    Reading latest;
    std::string day;
    int dayDate = 0;
    for (std::int64_t t = startMs; t < endMs; t += 5000) {
        const int date = utcDateOf(t / 1000);
        if (date != dayDate) {
            dayDate = date;
            day = dayKeyOfDate(date);
        }
        if ((t - startMs) % 10000 == 0) {
            latest = readingOf(model.step(10));
            if (auto m = agg.packet(latest, t, day))
                out.push_back(*m);
        }
        if (auto m = agg.energy(std::max(0.0, latest.watts) * 5 / 3600, t, day))
            out.push_back(*m);
    }
    if (auto m = agg.close(endMs))
        out.push_back(*m);
    return out;
}

StoreResult writeSimulatedStore(const std::string& path, const SimulatedStore& plan) {
    auto opened = HistoryStore::open(path, plan.firstDate);
    if (!opened.result.ok())
        return opened.result;
    const std::vector<MinuteSummary> minutes = simulatedMinutes(plan);
    const std::span<const MinuteSummary> all(minutes);
    for (std::size_t at = 0; at < all.size(); at += 1440) {
        const StoreResult r = opened.store->commitMinutes(
            all.subspan(at, std::min<std::size_t>(1440, all.size() - at)));
        if (!r.ok())
            return r;
    }
    return {};
}

} // namespace korvane::sim
