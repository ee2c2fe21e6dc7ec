#pragma once
// The alarm rules: set and clear levels with hysteresis, a hold time before a
// level alarm raises, the no-data timer and the log backlog.  Pure logic: the
// caller passes every reading and every moment in.

#include "monitor/live_sink.h"
#include "monitor/reading.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace korvane {

// In the order the banner lists them.
enum class AlarmKind : std::uint8_t {
    BatteryLow,    // volts below a level
    BatteryHigh,   // volts above a level
    CurrentHigh,   // amps above a level
    RpmHigh,       // RPM above a level
    WindHigh,      // wind speed above a level (user's units)
    NoData,        // no packet decoded for a number of minutes
    LogNotWritten, // log records held because their file cannot be written
    OutputLow,     // the turbine's 7-day output index below a level (percent of its curve)
};
inline constexpr std::size_t kAlarmKindCount = 8;
inline constexpr std::size_t kLevelAlarmCount = 5; // BatteryLow .. WindHigh

inline constexpr std::size_t index(AlarmKind kind) {
    return static_cast<std::size_t>(kind);
}

// A level alarm raises when the value is beyond `set` (below it for Battery
// low, above it for the others) and clears when it is back at `clear` or
// further on the safe side.  `clear` equal to `set` means no hysteresis.
struct LevelAlarm {
    bool on = false;
    double set = 0;
    double clear = 0;
    bool operator==(const LevelAlarm&) const = default;
};

struct AlarmSettings {
    // Indexed by AlarmKind, BatteryLow .. WindHigh.
    std::array<LevelAlarm, kLevelAlarmCount> levels{};
    bool noDataOn = false;
    double noDataMinutes = 5; // > 0
    double holdSeconds = 10;  // >= 0; how long a level condition must last
    // Turbine output low: raises below `set` percent of the turbine's
    // curve, clears at or above `clear`; judged once a day, without a hold.
    LevelAlarm outputLow{false, 85, 90};
    std::string command; // program run on every raise and clear; empty: none
    bool operator==(const AlarmSettings&) const = default;
};

// One alarm raised or cleared, with the value that did it: the reading for a
// level alarm, whole minutes without a packet for No data, records waiting
// for Log not written, the index in percent for Turbine output low.
struct AlarmChange {
    AlarmKind kind = AlarmKind::BatteryLow;
    bool raised = false;
    double value = 0;
};

// The changes one event made; at most one per kind, in kind order.
struct AlarmChanges {
    std::array<AlarmChange, kAlarmKindCount> items{};
    std::size_t count = 0;

    bool empty() const { return count == 0; }
    const AlarmChange* begin() const { return items.data(); }
    const AlarmChange* end() const { return items.data() + count; }
    void add(AlarmKind kind, bool raised, double value) { items[count++] = {kind, raised, value}; }
};

// What an active alarm shows: the value that raised it and when.
struct ActiveAlarm {
    bool active = false;
    double value = 0;
    LocalDateTime raisedLocal;
    std::int64_t raisedUtcMs = 0;
};

class AlarmEngine {
public:
    // `startUtcMs`: when monitoring began; No data counts from it as if a
    // packet had come then.
    AlarmEngine(AlarmSettings settings, std::int64_t startUtcMs);

    // A decoded packet: level alarms advance, No data clears.
    AlarmChanges packet(const Reading& reading, const LiveTime& when);
    // A periodic tick (the 5 s energy tick): No data may raise.
    AlarmChanges tick(const LiveTime& when);
    // The log writer's backlog: Log not written raises while it is above 0.
    // It has no switch and no hold time: it is a fault of Korvane itself and
    // the backlog only changes on a logging tick.
    AlarmChanges logBacklog(std::size_t waiting, const LiveTime& when);
    // The turbine's output index over the last 7 days, in percent of its
    // curve: Turbine output low raises below its set level and clears at or
    // above its clear level.  nullopt ("not enough wind to say") changes
    // nothing.
    AlarmChanges outputIndex(std::optional<double> percent, const LiveTime& when);
    // New settings.  Alarms switched off that were active clear now (with
    // the last value seen); holds in progress restart under the new levels.
    AlarmChanges setSettings(AlarmSettings settings, const LiveTime& when);

    // After a restart: the alarm was active when Korvane stopped, raised by
    // `value` at that moment.  It is active again at once, without a
    // change: a condition that still holds is not raised a second time, and
    // one that went away clears by the usual rule at the first packet (or
    // tick, or index) that shows it.  No data counts its silence from
    // before the raise.  Call before the first event.
    void restore(AlarmKind kind, double value, const LocalDateTime& raisedLocal,
                 std::int64_t raisedUtcMs);
    // The first evaluation after the restores: clears at `when` the restored
    // alarms that are now switched off, and Log not written, whose backlog
    // lives in memory and so is empty after a restart.  Later calls, and
    // alarms that changed since their restore, give nothing.
    AlarmChanges settleRestored(const LiveTime& when);

    const AlarmSettings& settings() const { return settings_; }
    const ActiveAlarm& state(AlarmKind kind) const { return active_[index(kind)]; }
    bool anyActive() const;

private:
    void raise(AlarmKind kind, double value, const LiveTime& when, AlarmChanges& out);
    void clear(AlarmKind kind, double value, AlarmChanges& out);
    double silentMinutes(std::int64_t nowMs) const;

    AlarmSettings settings_;
    std::int64_t holdMs_ = 0;
    std::int64_t noDataMs_ = 0;
    std::array<ActiveAlarm, kAlarmKindCount> active_{};
    // Since when each level condition has held without a break; -1: not held.
    std::array<std::int64_t, kLevelAlarmCount> heldSince_{};
    std::array<double, kLevelAlarmCount> lastValue_{};
    std::int64_t lastPacketMs_ = 0;
    double lastIndex_ = 0;
    // Restored and not changed since.
    std::array<bool, kAlarmKindCount> restored_{};
};

} // namespace korvane
