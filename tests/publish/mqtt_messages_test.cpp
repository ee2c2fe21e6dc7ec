#include "publish/mqtt_messages.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(MqttMessages, TimesAreUtcIso8601) {
    const std::pair<std::int64_t, const char*> rows[] = {
        {0, "1970-01-01T00:00:00Z"},
        {1796740200999, "2026-12-08T14:30:00Z"},
        {-1, "1969-12-31T23:59:59Z"},
        {1835395199000, "2028-02-28T23:59:59Z"},
        {1835438400000, "2028-02-29T12:00:00Z"},
    };
    for (const auto& [ms, text] : rows)
        EXPECT_EQ(isoUtc(ms), text) << ms;
}

// Every string Korvane publishes must be valid JSON, so valid UTF-8: a
// Latin-1 byte (a "°" from an 8-bit WSUnits) becomes U+FFFD, never a raw byte.
TEST(MqttMessages, StringsAreValidJsonWhateverTheBytes) {
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"a\"b\\c\n\xb0", "\"a\\\"b\\\\c\\u000a\xEF\xBF\xBD\""},
        {"km/h", "\"km/h\""},
        {"\xC2\xB0"
         "C",
         "\"\xC2\xB0"
         "C\""},                                                      // "°C" in UTF-8 stays
        {"\xF0\x9F\x8C\xAC", "\"\xF0\x9F\x8C\xAC\""},                 // U+1F32C, four bytes
        {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},                 // overlong '/'
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}, // a surrogate
        {"\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xE2\x82"
         "x",
         "\"\xEF\xBF\xBD\xEF\xBF\xBD"
         "x\""}, // cut short, 'x' kept
        {std::string_view("\0\x1f\x7f", 3), "\"\\u0000\\u001f\x7f\""},
    };
    for (const auto& [text, json] : rows) {
        EXPECT_EQ(jsonString(text), json) << text;
        EXPECT_TRUE(isValidUtf8(jsonString(text))) << text;
    }
}

TEST(MqttMessages, OnlyTopicsMqttAcceptsPass) {
    const std::pair<std::string_view, TopicFault> rows[] = {
        {"korvane/g\xC3\xA4rtnerei", TopicFault::None},
        {"korvane/\xF0\x9F\x8C\xAC", TopicFault::None},
        {"korvane/g\xE4rtnerei", TopicFault::NotUtf8}, // Latin-1
        {"korvane/\xC0\xAF", TopicFault::NotUtf8},
        {"korvane/\xED\xA0\x80", TopicFault::NotUtf8},
        {std::string_view("korvane/\0x", 10), TopicFault::ControlCharacter},
        {"korvane/\x1f", TopicFault::ControlCharacter},
        {"korvane/\x7f", TopicFault::ControlCharacter},
        {"korvane/\xC2\x85", TopicFault::ControlCharacter},     // U+0085
        {"korvane/\xEF\xBF\xBF", TopicFault::ControlCharacter}, // U+FFFF
        {"korvane/\xEF\xB7\x90", TopicFault::ControlCharacter}, // U+FDD0
        {"korvane/+", TopicFault::Wildcard},
        {"korvane/#", TopicFault::Wildcard},
        {"", TopicFault::Empty},
    };
    for (const auto& [topic, fault] : rows)
        EXPECT_EQ(topicFault(topic), fault) << topic;
    EXPECT_EQ(topicFault(std::string(65535, 'a')), TopicFault::None);
    EXPECT_EQ(topicFault(std::string(65536, 'a')), TopicFault::TooLong);
}

TEST(MqttMessages, NumbersUseADot) {
    EXPECT_EQ(jsonNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(jsonNumber(-12.5), "-12.5");
    EXPECT_EQ(jsonNumber(420), "420");
}

TEST(MqttMessages, AStateWithoutLoadSaysSo) {
    const LiveTime t{{}, 1796740200000, "2026_12_8"};
    const MqttMessage m = stateMessage("site", {12.5, -0.25, 0, 0, 0, -1}, 1234.56789, t);
    EXPECT_EQ(m, (MqttMessage{"site/state",
                              R"({"volts":12.5,"amps":-0.25,"watts":0,"rpm":0,"wind":0,"mode":-1,)"
                              R"("load_on":false,"energy_today_wh":1234.568,)"
                              R"("time":"2026-12-08T14:30:00Z","day":"2026_12_8"})",
                              0, true}));
    // The turbine's 7-day index follows the day when it is known.
    EXPECT_EQ(stateMessage("site", {}, 0, t, 87.25).payload,
              R"({"volts":0,"amps":0,"watts":0,"rpm":0,"wind":0,"mode":0,"load_on":false,)"
              R"("energy_today_wh":0,"time":"2026-12-08T14:30:00Z","day":"2026_12_8",)"
              R"("output_index_7d":87.2})");
}

TEST(MqttMessages, AnAlarmEventCarriesItsNameIdValueAndUnit) {
    const AlarmEvent e{1796740200, AlarmKind::LogNotWritten, "Log not written", "cleared", 0,
                       "records"};
    EXPECT_EQ(alarmMessage("site", e, "2026_12_8"),
              (MqttMessage{"site/alarm",
                           R"({"alarm":"Log not written","id":"log_not_written","state":"cleared",)"
                           R"("value":0,"unit":"records","time":"2026-12-08T14:30:00Z",)"
                           R"("day":"2026_12_8"})",
                           1, false}));
    EXPECT_EQ(alarmStateTopic("site", AlarmKind::RpmHigh), "site/alarm/rpm_high");
}

TEST(MqttMessages, DiscoveryDescribesEveryEntityOfOneDevice) {
    const auto msgs = discoveryMessages({"korvane/shed", "homeassistant", "km/h", "0.1.0"});
    std::vector<std::string> topics;
    for (const MqttMessage& m : msgs) {
        topics.push_back(m.topic);
        EXPECT_TRUE(m.retain);
        EXPECT_EQ(m.qos, 1);
    }
    const std::string s = "homeassistant/sensor/korvane_shed/";
    const std::string b = "homeassistant/binary_sensor/korvane_shed/";
    EXPECT_EQ(topics, (std::vector<std::string>{
                          s + "volts/config", s + "amps/config", s + "watts/config",
                          s + "energy_today/config", s + "rpm/config", s + "wind/config",
                          b + "load_on/config", b + "alarm_battery_low/config",
                          b + "alarm_battery_high/config", b + "alarm_current_high/config",
                          b + "alarm_rpm_high/config", b + "alarm_wind_high/config",
                          b + "alarm_no_data/config", b + "alarm_log_not_written/config",
                          b + "alarm_output_low/config"}));
    const std::string device =
        R"("device":{"identifiers":["korvane_shed"],"name":"Korvane korvane/shed",)"
        R"("model":"Korvane","manufacturer":"Korvane","sw_version":"0.1.0"}})";
    EXPECT_EQ(msgs[3].payload,
              R"({"name":"Energy today","unique_id":"korvane_shed_energy_today",)"
              R"("object_id":"korvane_shed_energy_today",)"
              R"("availability_topic":"korvane/shed/availability",)"
              R"("state_topic":"korvane/shed/state",)"
              R"("value_template":"{{ value_json.energy_today_wh }}","device_class":"energy",)"
              R"("unit_of_measurement":"Wh","state_class":"total_increasing",)" +
                  device);
    EXPECT_EQ(msgs[5].payload.find(R"("device_class":"wind_speed","unit_of_measurement":"km/h")") !=
                  std::string::npos,
              true);
    EXPECT_EQ(msgs[13].payload,
              R"({"name":"Log not written","unique_id":"korvane_shed_alarm_log_not_written",)"
              R"("object_id":"korvane_shed_alarm_log_not_written",)"
              R"("availability_topic":"korvane/shed/availability",)"
              R"("state_topic":"korvane/shed/alarm/log_not_written","device_class":"problem",)"
              R"("payload_on":"ON","payload_off":"OFF",)" +
                  device);
    // A unit Home Assistant cannot convert is shown as it is, without the class.
    const auto knots = discoveryMessages({"korvane/shed", "homeassistant", "knots", "0.1.0"});
    EXPECT_EQ(knots[5].payload.find("wind_speed"), std::string::npos);
    EXPECT_NE(knots[5].payload.find(R"("unit_of_measurement":"knots")"), std::string::npos);
}

} // namespace
} // namespace korvane
