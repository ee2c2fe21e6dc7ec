#include "mqtt_messages.h"

#include "platform/numbers.h"

#include <cmath>
#include <cstdio>

namespace korvane {

namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

struct Utf8Char {
    char32_t codePoint = 0;
    std::size_t length = 0; // 0: s[i] does not start a well-formed sequence
};

// The well-formed UTF-8 sequence at s[i] (RFC 3629, table 3-7 of Unicode).
Utf8Char decodeUtf8(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char b0 = byte(0);
    if (b0 < 0x80)
        return {b0, 1};
    std::size_t length = 0;
    char32_t cp = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            low = 0xA0; // overlong below U+0800
        if (b0 == 0xED)
            high = 0x9F; // surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            low = 0x90; // overlong below U+10000
        if (b0 == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else {
        return {};
    }
    if (i + length > s.size())
        return {};
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char b = byte(k);
        const unsigned char lo = k == 1 ? low : 0x80;
        const unsigned char hi = k == 1 ? high : 0xBF;
        if (b < lo || b > hi)
            return {};
        cp = (cp << 6) | (b & 0x3F);
    }
    return {cp, length};
}

std::string joined(std::string_view topic, std::string_view leaf) {
    std::string t(topic);
    t += '/';
    t += leaf;
    return t;
}

class JsonObject {
public:
    JsonObject& raw(std::string_view key, std::string_view value) {
        text_ += text_.size() == 1 ? "" : ",";
        text_ += jsonString(key);
        text_ += ':';
        text_ += value;
        return *this;
    }
    JsonObject& str(std::string_view key, std::string_view value) {
        return raw(key, jsonString(value));
    }
    JsonObject& num(std::string_view key, double value) { return raw(key, jsonNumber(value)); }
    std::string done() const { return text_ + "}"; }

private:
    std::string text_ = "{";
};

struct SensorSpec {
    std::string_view object; // id within the device
    std::string_view name;
    std::string_view field; // in the state JSON
    std::string_view deviceClass;
    std::string_view unit;
    std::string_view stateClass;
    std::string_view icon;
};

// The wind speed units Home Assistant converts; any other unit is shown as
// it is, without the device class.
bool knownWindUnit(std::string_view unit) {
    for (std::string_view u : {"km/h", "m/s", "mph", "kn", "ft/s"})
        if (unit == u)
            return true;
    return false;
}

std::string deviceJson(const DiscoveryDevice& device) {
    return JsonObject()
        .raw("identifiers", "[" + jsonString(deviceId(device.topic)) + "]")
        .str("name", "Korvane " + device.topic)
        .str("model", "Korvane")
        .str("manufacturer", "Korvane")
        .str("sw_version", device.softwareVersion)
        .done();
}

JsonObject entityBase(const DiscoveryDevice& device, std::string_view object,
                      std::string_view name) {
    const std::string unique = deviceId(device.topic) + "_" + std::string(object);
    JsonObject o;
    o.str("name", name)
        .str("unique_id", unique)
        .str("object_id", unique)
        .str("availability_topic", availabilityTopic(device.topic));
    return o;
}

MqttMessage config(const DiscoveryDevice& device, std::string_view component,
                   std::string_view object, std::string payload) {
    return {device.prefix + "/" + std::string(component) + "/" + deviceId(device.topic) + "/" +
                std::string(object) + "/config",
            std::move(payload), 1, true};
}

} // namespace

std::string isoUtc(std::int64_t utcMs) {
    const std::int64_t s = floorDiv(utcMs, 1000);
    const std::int64_t days = floorDiv(s, 86400);
    const std::int64_t sod = s - days * 86400;
    int y = 0, m = 0, d = 0;
    civilFromDays(days, y, m, d);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", y, m, d,
                  static_cast<int>(sod / 3600), static_cast<int>(sod / 60 % 60),
                  static_cast<int>(sod % 60));
    return buf;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
            ++i;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
            ++i;
        } else if (u < 0x80) {
            out += c;
            ++i;
        } else if (const Utf8Char ch = decodeUtf8(text, i); ch.length > 0) {
            out.append(text.substr(i, ch.length));
            i += ch.length;
        } else {
            // One replacement per byte, so what follows a broken sequence
            // is read afresh and never swallowed.
            out += kReplacement;
            ++i;
        }
    }
    out += '"';
    return out;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char ch = decodeUtf8(text, i);
        if (ch.length == 0)
            return false;
        i += ch.length;
    }
    return true;
}

TopicFault topicFault(std::string_view topic) {
    if (topic.empty())
        return TopicFault::Empty;
    if (topic.size() > kMaxTopicBytes)
        return TopicFault::TooLong;
    bool wildcard = false;
    for (std::size_t i = 0; i < topic.size();) {
        const Utf8Char ch = decodeUtf8(topic, i);
        if (ch.length == 0)
            return TopicFault::NotUtf8;
        const char32_t cp = ch.codePoint;
        if (cp <= 0x1F || (cp >= 0x7F && cp <= 0x9F))
            return TopicFault::ControlCharacter;
        if ((cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE)
            return TopicFault::ControlCharacter;
        wildcard = wildcard || cp == '+' || cp == '#';
        i += ch.length;
    }
    return wildcard ? TopicFault::Wildcard : TopicFault::None;
}

std::string jsonNumber(double value) {
    return formatGeneral(value, NumberFormat{'.'});
}

std::string alarmSlug(AlarmKind kind) {
    return std::string(alarmId(kind));
}

std::string deviceId(std::string_view topic) {
    std::string id;
    for (const char c : topic) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '_' || c == '-';
        id += keep ? c : '_';
    }
    return id;
}

std::string availabilityTopic(std::string_view topic) {
    return joined(topic, "availability");
}
std::string stateTopic(std::string_view topic) {
    return joined(topic, "state");
}
std::string recordTopic(std::string_view topic) {
    return joined(topic, "record");
}
std::string alarmTopic(std::string_view topic) {
    return joined(topic, "alarm");
}
std::string alarmStateTopic(std::string_view topic, AlarmKind kind) {
    return joined(topic, "alarm/" + alarmSlug(kind));
}

MqttMessage stateMessage(std::string_view topic, const Reading& reading, double energyTodayWh,
                         const LiveTime& when, std::optional<double> outputIndex7d) {
    JsonObject json;
    json.num("volts", reading.volts)
        .num("amps", reading.amps)
        .num("watts", reading.watts)
        .num("rpm", reading.rpm)
        .num("wind", reading.windSpeed)
        .num("mode", reading.mode)
        .raw("load_on", reading.mode == 1 ? "true" : "false")
        .num("energy_today_wh", roundHalfEven(energyTodayWh, 3))
        .str("time", isoUtc(when.utcMs))
        .str("day", when.day);
    if (outputIndex7d && std::isfinite(*outputIndex7d))
        json.num("output_index_7d", roundHalfEven(*outputIndex7d, 1));
    const std::string payload = json.done();
    return {stateTopic(topic), payload, 0, true};
}

MqttMessage recordMessage(std::string_view topic, const LoggedRecord& record,
                          const LiveTime& when) {
    char hhmm[8];
    std::snprintf(hhmm, sizeof hhmm, "%02d:%02d", record.hour % 100, record.minute % 100);
    const std::string payload = JsonObject()
                                    .num("volts", record.peaks.volts)
                                    .num("amps", record.peaks.amps)
                                    .num("watts", record.peaks.watts)
                                    .num("rpm", record.peaks.rpm)
                                    .num("wind", record.peaks.windSpeed)
                                    .num("mode", record.mode)
                                    .str("local_time", hhmm)
                                    .str("time", isoUtc(when.utcMs))
                                    .str("day", record.day)
                                    .done();
    return {recordTopic(topic), payload, 1, false};
}

MqttMessage alarmMessage(std::string_view topic, const AlarmEvent& event, std::string_view day) {
    const std::string payload = JsonObject()
                                    .str("alarm", event.name)
                                    .str("id", alarmSlug(event.kind))
                                    .str("state", event.change)
                                    .num("value", event.value)
                                    .str("unit", event.unit)
                                    .str("time", isoUtc(event.utcSeconds * 1000))
                                    .str("day", day)
                                    .done();
    return {alarmTopic(topic), payload, 1, false};
}

std::vector<MqttMessage> discoveryMessages(const DiscoveryDevice& device) {
    const bool windClass = knownWindUnit(device.windUnits);
    const SensorSpec sensors[] = {
        {"volts", "Battery voltage", "volts", "voltage", "V", "measurement", ""},
        {"amps", "Charge current", "amps", "current", "A", "measurement", ""},
        {"watts", "Charge power", "watts", "power", "W", "measurement", ""},
        {"energy_today", "Energy today", "energy_today_wh", "energy", "Wh", "total_increasing", ""},
        {"rpm", "Turbine speed", "rpm", "", "RPM", "measurement", "mdi:fan"},
        {"wind", "Wind speed", "wind", windClass ? "wind_speed" : "", device.windUnits,
         "measurement", "mdi:weather-windy"},
    };
    const std::string device_ = deviceJson(device);
    const std::string state = stateTopic(device.topic);
    std::vector<MqttMessage> out;
    for (const SensorSpec& s : sensors) {
        JsonObject o = entityBase(device, s.object, s.name);
        o.str("state_topic", state)
            .str("value_template", "{{ value_json." + std::string(s.field) + " }}");
        if (!s.deviceClass.empty())
            o.str("device_class", s.deviceClass);
        if (!s.unit.empty())
            o.str("unit_of_measurement", s.unit);
        o.str("state_class", s.stateClass);
        if (!s.icon.empty())
            o.str("icon", s.icon);
        out.push_back(config(device, "sensor", s.object, o.raw("device", device_).done()));
    }
    JsonObject load = entityBase(device, "load_on", "Load on");
    load.str("state_topic", state)
        .str("value_template", "{{ 'ON' if value_json.load_on else 'OFF' }}")
        .str("device_class", "power")
        .str("payload_on", "ON")
        .str("payload_off", "OFF");
    out.push_back(config(device, "binary_sensor", "load_on", load.raw("device", device_).done()));
    for (std::size_t i = 0; i < kAlarmKindCount; ++i) {
        const auto kind = static_cast<AlarmKind>(i);
        const std::string object = "alarm_" + alarmSlug(kind);
        JsonObject a = entityBase(device, object, alarmName(kind));
        a.str("state_topic", alarmStateTopic(device.topic, kind))
            .str("device_class", "problem")
            .str("payload_on", "ON")
            .str("payload_off", "OFF");
        out.push_back(config(device, "binary_sensor", object, a.raw("device", device_).done()));
    }
    return out;
}

} // namespace korvane
