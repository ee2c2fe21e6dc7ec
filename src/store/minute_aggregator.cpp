#include "minute_aggregator.h"

#include "day_date.h"

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

std::int64_t minuteOf(std::int64_t utcMs) {
    // Floor, not truncation: times before 1970 must not share minute 0.
    const std::int64_t q = utcMs / 60000;
    return (utcMs % 60000 < 0) ? q - 1 : q;
}

double weighted(double a, std::int64_t na, double b, std::int64_t nb) {
    const std::int64_t n = na + nb;
    if (n == 0)
        return 0;
    return (a * static_cast<double>(na) + b * static_cast<double>(nb)) / static_cast<double>(n);
}

Spread combine(const Spread& a, std::int64_t na, const Spread& b, std::int64_t nb) {
    if (na == 0)
        return b;
    if (nb == 0)
        return a;
    return {std::min(a.min, b.min), weighted(a.mean, na, b.mean, nb), std::max(a.max, b.max)};
}

} // namespace

MinuteSummary mergeMinutes(const MinuteSummary& a, const MinuteSummary& b) {
    MinuteSummary m = a;
    const std::int64_t na = a.packets, nb = b.packets;
    m.packets = na + nb;
    m.volts = combine(a.volts, na, b.volts, nb);
    m.amps = combine(a.amps, na, b.amps, nb);
    m.watts = combine(a.watts, na, b.watts, nb);
    if (na == 0) {
        m.rpmMean = b.rpmMean, m.rpmMax = b.rpmMax, m.windMean = b.windMean, m.windMax = b.windMax;
    } else if (nb != 0) {
        m.rpmMean = weighted(a.rpmMean, na, b.rpmMean, nb);
        m.rpmMax = std::max(a.rpmMax, b.rpmMax);
        m.windMean = weighted(a.windMean, na, b.windMean, nb);
        m.windMax = std::max(a.windMax, b.windMax);
    }
    m.loadOnMs = a.loadOnMs + b.loadOnMs;
    m.wh = a.wh + b.wh;
    return m;
}

std::optional<MinuteSummary> MinuteAggregator::packet(const Reading& r, std::int64_t utcMs,
                                                      std::string_view day) {
    const std::int64_t minute = minuteOf(utcMs);
    std::optional<MinuteSummary> ended;
    if (!open_ || minute != minute_)
        ended = moveTo(minute, utcMs, day);
    else
        holdModeUntil(utcMs);

    if (packets_ == 0) {
        vMin_ = vMax_ = r.volts;
        aMin_ = aMax_ = r.amps;
        wMin_ = wMax_ = r.watts;
        rpmMax_ = r.rpm;
        windMax_ = r.windSpeed;
    } else {
        vMin_ = std::min(vMin_, r.volts), vMax_ = std::max(vMax_, r.volts);
        aMin_ = std::min(aMin_, r.amps), aMax_ = std::max(aMax_, r.amps);
        wMin_ = std::min(wMin_, r.watts), wMax_ = std::max(wMax_, r.watts);
        rpmMax_ = std::max(rpmMax_, r.rpm);
        windMax_ = std::max(windMax_, r.windSpeed);
    }
    ++packets_;
    vSum_ += r.volts;
    aSum_ += r.amps;
    wSum_ += r.watts;
    rpmSum_ += r.rpm;
    windSum_ += r.windSpeed;
    lastPacketMs_ = utcMs;
    lastLoadOn_ = r.mode == 1;
    return ended;
}

std::optional<MinuteSummary> MinuteAggregator::energy(double whAdded, std::int64_t utcMs,
                                                      std::string_view day) {
    const std::int64_t minute = minuteOf(utcMs);
    std::optional<MinuteSummary> ended;
    if (!open_ || minute != minute_)
        ended = moveTo(minute, utcMs, day);
    if (std::isfinite(whAdded))
        wh_ += whAdded;
    return ended;
}

std::optional<MinuteSummary> MinuteAggregator::close(std::int64_t utcMs) {
    if (!open_)
        return std::nullopt;
    const std::int64_t end = (minute_ + 1) * 60000;
    MinuteSummary m = finish(std::min(utcMs, end));
    open_ = false;
    return m;
}

std::optional<MinuteSummary> MinuteAggregator::moveTo(std::int64_t minute, std::int64_t utcMs,
                                                      std::string_view day) {
    std::optional<MinuteSummary> ended;
    if (open_)
        ended = finish((minute_ + 1) * 60000);
    open_ = true;
    minute_ = minute;
    date_ = dateOfDayKey(day);
    if (date_ == 0)
        date_ = utcDateOf(minute * 60);
    packets_ = 0;
    vSum_ = aSum_ = wSum_ = rpmSum_ = windSum_ = 0;
    loadOnMs_ = 0;
    wh_ = 0;
    lastLoadOn_ = false;
    lastPacketMs_ = utcMs;
    return ended;
}

void MinuteAggregator::holdModeUntil(std::int64_t endMs) {
    if (lastLoadOn_ && endMs > lastPacketMs_)
        loadOnMs_ += std::min(endMs - lastPacketMs_, kMaxModeHoldMs);
    lastLoadOn_ = false;
}

MinuteSummary MinuteAggregator::finish(std::int64_t endMs) {
    holdModeUntil(endMs);
    MinuteSummary m;
    m.ts = minute_ * 60;
    m.date = date_;
    m.packets = packets_;
    if (packets_ > 0) {
        const double n = static_cast<double>(packets_);
        m.volts = {vMin_, vSum_ / n, vMax_};
        m.amps = {aMin_, aSum_ / n, aMax_};
        m.watts = {wMin_, wSum_ / n, wMax_};
        m.rpmMean = rpmSum_ / n;
        m.rpmMax = rpmMax_;
        m.windMean = windSum_ / n;
        m.windMax = windMax_;
    }
    m.loadOnMs = loadOnMs_;
    m.wh = wh_;
    return m;
}

} // namespace korvane
