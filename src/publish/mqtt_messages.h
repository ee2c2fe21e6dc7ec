#pragma once
// The messages Korvane publishes, as topic and JSON text.  Numbers are
// written with a dot whatever the user's locale, times as UTC ISO 8601
// ("2026-12-08T14:05:00Z") with the local day key ("2026_12_8") beside them.

#include "alarms/alarm_rules.h"
#include "alarms/alarm_text.h"
#include "monitor/live_sink.h"
#include "monitor/reading.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

struct MqttMessage {
    std::string topic;
    std::string payload;
    int qos = 0;
    bool retain = false;
    bool operator==(const MqttMessage&) const = default;
};

// "2026-12-08T14:05:00Z" for milliseconds since 1970 UTC (milliseconds dropped).
std::string isoUtc(std::int64_t utcMs);

// A JSON string literal (RFC 8259) that is always valid UTF-8: quotes,
// backslashes and control characters escaped, well-formed UTF-8 kept as it
// is, and each byte that does not belong to a well-formed sequence replaced
// by U+FFFD.  Convert texts of another code page before, at the Qt boundary.
std::string jsonString(std::string_view text);

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong
// forms, no surrogates (U+D800..U+DFFF), nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);

// The most bytes a topic may have (MQTT's 16-bit length).
inline constexpr std::size_t kMaxTopicBytes = 65535;

// Why a topic name cannot be published to, by the rules MQTT sets for its
// strings and that libmosquitto and brokers enforce: well-formed UTF-8,
// without control characters (U+0000..U+001F, U+007F..U+009F, so no NUL)
// or non-characters (U+FDD0..U+FDEF, U+xFFFE, U+xFFFF), without the
// wildcards '+' and '#', not empty, at most kMaxTopicBytes.
enum class TopicFault { None, Empty, NotUtf8, ControlCharacter, Wildcard, TooLong };
TopicFault topicFault(std::string_view topic);

// A JSON number in the general number form with a dot ("13.52", "420", "0").
std::string jsonNumber(double value);

// The alarm's name as a topic level and id: "Battery low" -> "battery_low".
std::string alarmSlug(AlarmKind kind);

// "<topic>/availability", "<topic>/state", "<topic>/record", "<topic>/alarm".
std::string availabilityTopic(std::string_view topic);
std::string stateTopic(std::string_view topic);
std::string recordTopic(std::string_view topic);
std::string alarmTopic(std::string_view topic);
// "<topic>/alarm/<slug>": "ON" while the alarm is active, else "OFF"; retained.
std::string alarmStateTopic(std::string_view topic, AlarmKind kind);

// The live values, retained, QoS 0:
// {"volts":13.52,"amps":4.1,"watts":55.43,"rpm":350.5,"wind":12.3,"mode":1,
//  "load_on":true,"energy_today_wh":120.5,"time":"...Z","day":"2026_12_8"}
// With the turbine's 7-day output index known, "output_index_7d" (percent,
// to 0.1) follows "day".
MqttMessage stateMessage(std::string_view topic, const Reading& reading, double energyTodayWh,
                         const LiveTime& when, std::optional<double> outputIndex7d = std::nullopt);

// A logging tick's record, QoS 1, not retained: the interval peaks, mode and
// the log line's HH:mm as "local_time", then "time" (UTC) and "day".
MqttMessage recordMessage(std::string_view topic, const LoggedRecord& record, const LiveTime& when);

// An alarm raise or clear, QoS 1, not retained:
// {"alarm":"Battery low","id":"battery_low","state":"raised","value":11.42,
//  "unit":"V","time":"...Z","day":"2026_12_8"}
MqttMessage alarmMessage(std::string_view topic, const AlarmEvent& event, std::string_view day);

// What the device and its entities are called in discovery.
struct DiscoveryDevice {
    std::string topic;           // the base topic; also gives the ids
    std::string prefix;          // "homeassistant"
    std::string windUnits;       // prog.cfg's WSUnits
    std::string softwareVersion; // "0.1.0"
};

// The retained config messages (QoS 1) for every entity, sensors first:
// volts, amps, watts, energy_today, rpm, wind, then the binary sensors
// load_on and one problem sensor per alarm kind, in kind order.
std::vector<MqttMessage> discoveryMessages(const DiscoveryDevice& device);

// "korvane/shed" -> "korvane_shed": the device identifier and the prefix of
// every unique id.
std::string deviceId(std::string_view topic);

} // namespace korvane
