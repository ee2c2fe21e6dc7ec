#pragma once
// mqtt.cfg: where and how to publish, held as the texts found between the
// tags, and their reading into MqttSettings.

#include "platform/numbers.h"

#include <optional>
#include <string>
#include <string_view>

namespace korvane {

namespace mqtt_keys {
inline constexpr std::string_view Enabled = "Enabled";
inline constexpr std::string_view Host = "Host";
inline constexpr std::string_view Port = "Port";
inline constexpr std::string_view User = "User";
inline constexpr std::string_view Password = "Password";
inline constexpr std::string_view TLS = "TLS";
inline constexpr std::string_view CAFile = "CAFile";
inline constexpr std::string_view Topic = "Topic";
inline constexpr std::string_view Discovery = "Discovery";
inline constexpr std::string_view DiscoveryPrefix = "DiscoveryPrefix";
inline constexpr std::string_view Interval = "Interval";
} // namespace mqtt_keys

inline constexpr std::string_view kMqttConfigFile = "/mqtt.cfg";

struct MqttConfig {
    std::string Enabled;
    std::string Host;
    std::string Port;
    std::string User;
    std::string Password;
    std::string TLS;
    std::string CAFile;
    std::string Topic;
    std::string Discovery;
    std::string DiscoveryPrefix;
    std::string Interval;
    bool operator==(const MqttConfig&) const = default;
};

// What publishing runs with.
struct MqttSettings {
    bool enabled = false;
    std::string host;
    int port = 1883;
    std::string user; // empty: connect without a user name
    std::string password;
    bool tls = false;
    std::string caFile; // PEM file of the CA that signed the broker's certificate
    std::string topic;  // base topic, without a trailing '/'
    bool discovery = true;
    std::string discoveryPrefix;
    double intervalSeconds = 5; // > 0: least time between two state messages
    bool operator==(const MqttSettings&) const = default;
};

// A fresh installation: off, broker "localhost" port 1883 without user or
// TLS, topic "korvane/<hostName>", discovery on under "homeassistant", a
// state message every 5 s.
MqttConfig defaultMqttConfig(std::string_view hostName);

// Reads every key by the tag rule, turning "&amp;", "&lt;" and "&gt;" back
// into "&", "<" and ">"; a missing key takes its default text.
MqttConfig parseMqttConfig(std::string_view fileText, std::string_view hostName);

// "MQTT Config File", an empty line, the eleven tag lines and a final empty
// line, every line ending in CR LF.  "&", "<" and ">" in a value are written
// as "&amp;", "&lt;" and "&gt;", so a password cannot end its tag early.
std::string formatMqttConfig(const MqttConfig& config);

// A missing or unreadable file gives the defaults.
MqttConfig loadMqttConfig(const std::string& appFolder, std::string_view hostName);
// Atomic replacement; the file (which holds the password) is readable and
// writable by its owner only, whatever the umask.  0, or the errno of the
// failure (old file untouched).
int saveMqttConfig(const std::string& appFolder, const MqttConfig& config);

// The first field the dialog must refuse, as the message to show naming the
// field as the dialog labels it; empty when all are acceptable.  Port must
// be a whole number 1..65535, Interval a number above 0, Host not empty, the
// CA file given when TLS is on, Topic and Discovery prefix topics MQTT
// accepts (see topicFault: UTF-8 without control characters, '+' or '#')
// whose longest topic made from them stays within 65535 bytes.
std::string mqttConfigProblem(const MqttConfig& config, const NumberFormat& fmt);

// The settings publishing runs with.  A field the dialog would refuse (a
// file edited by hand) takes its default; `problem`, when given, receives
// mqttConfigProblem's message for it.  Switches are on when they read as 1.
MqttSettings mqttSettings(const MqttConfig& config, const NumberFormat& fmt,
                          std::string_view hostName, std::string* problem = nullptr);

// Shown when mqtt.cfg cannot be replaced (`error`: the errno).
std::string mqttSaveFailedMessage(const std::string& path, int error);

// True when the password would cross the network readable by anyone on the
// way: a user and a password are given, TLS is off and the host is not this
// machine ("localhost", 127.x.x.x, "::1").
bool passwordTravelsUnencrypted(const MqttConfig& config, const NumberFormat& fmt);

// mqtt-energy.cfg beside mqtt.cfg: the day key and the highest
// "energy_today_wh" (watt-hours, as published, to 0.001) sent for that day.
// A restart resumes the day's energy from the store without the minute that
// was running, so it may start below what consumers already saw; publishing
// never goes below this until the day changes.
inline constexpr std::string_view kPublishedEnergyFile = "/mqtt-energy.cfg";

struct PublishedEnergy {
    std::string day; // "2026_12_8"
    double wh = 0;
    bool operator==(const PublishedEnergy&) const = default;
};

// "MQTT Published Energy", an empty line, <Day> and <EnergyTodayWh> (with a
// dot) and a final empty line, CR LF.
std::string formatPublishedEnergy(const PublishedEnergy& energy);
// Nothing when the day is missing or the energy is not a number of 0 or more.
std::optional<PublishedEnergy> parsePublishedEnergy(std::string_view text);
std::optional<PublishedEnergy> loadPublishedEnergy(const std::string& appFolder);
// Atomic replacement; 0 or the errno of the failure.
int savePublishedEnergy(const std::string& appFolder, const PublishedEnergy& energy);

} // namespace korvane
