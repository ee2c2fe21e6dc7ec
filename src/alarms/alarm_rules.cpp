#include "alarm_rules.h"

#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

constexpr AlarmKind kLevelKinds[kLevelAlarmCount] = {AlarmKind::BatteryLow, AlarmKind::BatteryHigh,
                                                     AlarmKind::CurrentHigh, AlarmKind::RpmHigh,
                                                     AlarmKind::WindHigh};

double levelValue(const Reading& r, std::size_t i) {
    switch (i) {
    case 0:
    case 1:
        return r.volts;
    case 2:
        return r.amps;
    case 3:
        return r.rpm;
    default:
        return r.windSpeed;
    }
}

// Durations far beyond any sensible setting are capped so the millisecond
// arithmetic cannot overflow; a billion seconds is "never" here.
std::int64_t toMs(double seconds) {
    if (!(seconds > 0))
        return 0;
    return std::llround(std::min(seconds, 1e9) * 1000.0);
}

} // namespace

AlarmEngine::AlarmEngine(AlarmSettings settings, std::int64_t startUtcMs)
    : lastPacketMs_(startUtcMs) {
    heldSince_.fill(-1);
    settings_ = std::move(settings);
    holdMs_ = toMs(settings_.holdSeconds);
    noDataMs_ = toMs(settings_.noDataMinutes * 60.0);
}

bool AlarmEngine::anyActive() const {
    return std::any_of(active_.begin(), active_.end(),
                       [](const ActiveAlarm& a) { return a.active; });
}

void AlarmEngine::raise(AlarmKind kind, double value, const LiveTime& when, AlarmChanges& out) {
    active_[index(kind)] = {true, value, when.local, when.utcMs};
    restored_[index(kind)] = false;
    out.add(kind, true, value);
}

void AlarmEngine::clear(AlarmKind kind, double value, AlarmChanges& out) {
    active_[index(kind)] = {};
    restored_[index(kind)] = false;
    out.add(kind, false, value);
}

double AlarmEngine::silentMinutes(std::int64_t nowMs) const {
    return nowMs > lastPacketMs_ ? static_cast<double>((nowMs - lastPacketMs_) / 60000) : 0.0;
}

AlarmChanges AlarmEngine::packet(const Reading& reading, const LiveTime& when) {
    AlarmChanges out;
    for (std::size_t i = 0; i < kLevelAlarmCount; ++i) {
        const double v = levelValue(reading, i);
        lastValue_[i] = v;
        const LevelAlarm& level = settings_.levels[i];
        if (!level.on)
            continue;
        const bool low = i == 0;
        if (active_[i].active) {
            // A NaN is on neither side, so it neither clears nor starts a hold.
            if (low ? v >= level.clear : v <= level.clear)
                clear(kLevelKinds[i], v, out);
            continue;
        }
        if (!(low ? v < level.set : v > level.set)) {
            heldSince_[i] = -1;
            continue;
        }
        // A clock set back would otherwise stretch the hold by the step.
        if (heldSince_[i] < 0 || when.utcMs < heldSince_[i])
            heldSince_[i] = when.utcMs;
        if (when.utcMs - heldSince_[i] >= holdMs_) {
            heldSince_[i] = -1;
            raise(kLevelKinds[i], v, when, out);
        }
    }
    if (active_[index(AlarmKind::NoData)].active)
        clear(AlarmKind::NoData, silentMinutes(when.utcMs), out);
    lastPacketMs_ = when.utcMs;
    return out;
}

AlarmChanges AlarmEngine::tick(const LiveTime& when) {
    AlarmChanges out;
    if (!settings_.noDataOn || active_[index(AlarmKind::NoData)].active)
        return out;
    // After the clock was set back, count the silence from now rather than
    // waiting out the step as well.
    if (when.utcMs < lastPacketMs_)
        lastPacketMs_ = when.utcMs;
    if (when.utcMs - lastPacketMs_ >= noDataMs_)
        raise(AlarmKind::NoData, silentMinutes(when.utcMs), when, out);
    return out;
}

AlarmChanges AlarmEngine::logBacklog(std::size_t waiting, const LiveTime& when) {
    AlarmChanges out;
    const bool active = active_[index(AlarmKind::LogNotWritten)].active;
    if (waiting > 0 && !active)
        raise(AlarmKind::LogNotWritten, static_cast<double>(waiting), when, out);
    else if (waiting == 0 && active)
        clear(AlarmKind::LogNotWritten, 0, out);
    return out;
}

AlarmChanges AlarmEngine::outputIndex(std::optional<double> percent, const LiveTime& when) {
    AlarmChanges out;
    if (!percent || !std::isfinite(*percent))
        return out;
    lastIndex_ = *percent;
    const LevelAlarm& level = settings_.outputLow;
    if (!level.on)
        return out;
    const bool active = active_[index(AlarmKind::OutputLow)].active;
    if (!active && *percent < level.set)
        raise(AlarmKind::OutputLow, *percent, when, out);
    else if (active && *percent >= level.clear)
        clear(AlarmKind::OutputLow, *percent, out);
    return out;
}

void AlarmEngine::restore(AlarmKind kind, double value, const LocalDateTime& raisedLocal,
                          std::int64_t raisedUtcMs) {
    const std::size_t i = index(kind);
    if (i >= kAlarmKindCount)
        return;
    active_[i] = {true, value, raisedLocal, raisedUtcMs};
    restored_[i] = true;
    if (i < kLevelAlarmCount)
        lastValue_[i] = value;
    if (kind == AlarmKind::OutputLow)
        lastIndex_ = value;
    // The raise came `value` whole minutes into the silence, so the silence
    // is counted from then; the first packet clears it with the full count.
    if (kind == AlarmKind::NoData && std::isfinite(value) && value >= 0)
        lastPacketMs_ = raisedUtcMs - static_cast<std::int64_t>(std::min(value, 1e9) * 60000.0);
}

AlarmChanges AlarmEngine::settleRestored(const LiveTime& when) {
    AlarmChanges out;
    for (std::size_t i = 0; i < kAlarmKindCount; ++i) {
        if (!restored_[i])
            continue;
        restored_[i] = false;
        const auto kind = static_cast<AlarmKind>(i);
        if (i < kLevelAlarmCount) {
            if (!settings_.levels[i].on)
                clear(kind, lastValue_[i], out);
        } else if (kind == AlarmKind::NoData) {
            if (!settings_.noDataOn)
                clear(kind, silentMinutes(when.utcMs), out);
        } else if (kind == AlarmKind::LogNotWritten) {
            clear(kind, 0, out);
        } else if (kind == AlarmKind::OutputLow) {
            if (!settings_.outputLow.on)
                clear(kind, lastIndex_, out);
        }
    }
    return out;
}

AlarmChanges AlarmEngine::setSettings(AlarmSettings settings, const LiveTime& when) {
    AlarmChanges out;
    for (std::size_t i = 0; i < kLevelAlarmCount; ++i) {
        if (active_[i].active && !settings.levels[i].on)
            clear(kLevelKinds[i], lastValue_[i], out);
        heldSince_[i] = -1;
    }
    if (active_[index(AlarmKind::NoData)].active && !settings.noDataOn)
        clear(AlarmKind::NoData, silentMinutes(when.utcMs), out);
    if (active_[index(AlarmKind::OutputLow)].active && !settings.outputLow.on)
        clear(AlarmKind::OutputLow, lastIndex_, out);
    settings_ = std::move(settings);
    holdMs_ = toMs(settings_.holdSeconds);
    noDataMs_ = toMs(settings_.noDataMinutes * 60.0);
    return out;
}

} // namespace korvane
