#include "mqtt_config.h"

#include "config/tagged_fields.h"
#include "mqtt_messages.h"
#include "platform/files.h"

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

namespace {

using C = MqttConfig;
namespace k = mqtt_keys;

constexpr TaggedField<MqttConfig> kFields[] = {
    {k::Enabled, &C::Enabled},     {k::Host, &C::Host},
    {k::Port, &C::Port},           {k::User, &C::User},
    {k::Password, &C::Password},   {k::TLS, &C::TLS},
    {k::CAFile, &C::CAFile},       {k::Topic, &C::Topic},
    {k::Discovery, &C::Discovery}, {k::DiscoveryPrefix, &C::DiscoveryPrefix},
    {k::Interval, &C::Interval},
};

constexpr int kDefaultPort = 1883;
constexpr double kDefaultInterval = 5;

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t");
    return std::string(s.substr(first, last - first + 1));
}

// A base topic is used with "/state" and the like appended, so trailing
// slashes would make empty levels.
std::string baseTopic(std::string_view text) {
    std::string t = trimmed(text);
    while (!t.empty() && t.back() == '/')
        t.pop_back();
    return t;
}

std::string defaultTopic(std::string_view hostName) {
    std::string host = baseTopic(hostName);
    for (char& c : host)
        if (c == '/' || c == '+' || c == '#' || c == ' ')
            c = '_';
    return "korvane/" + (host.empty() ? std::string("korvane") : host);
}

// What Korvane appends to the base topic at most ("/alarm/log_not_written"),
// and to the discovery prefix besides the device id, which is as long as
// the base topic ("/binary_sensor/" ... "/alarm_log_not_written/config").
constexpr std::size_t kLongestLeaf = 22;
constexpr std::size_t kLongestDiscoveryLeaf = 44;

// `field` as the dialog labels it; `added`: the bytes the longest topic
// made from it adds.
std::string topicProblem(const std::string& field, std::string_view topic, std::size_t added) {
    const std::string tooLong =
        field + " is too long: the topics made from it must stay within 65535 bytes.";
    if (topic.size() + added > kMaxTopicBytes)
        return tooLong;
    switch (topicFault(topic)) {
    case TopicFault::None:
        return {};
    case TopicFault::Empty:
    case TopicFault::Wildcard:
        return field + " must not be empty and must not contain + or #.";
    case TopicFault::NotUtf8:
        return field + " must be valid UTF-8 text (save mqtt.cfg as UTF-8).";
    case TopicFault::ControlCharacter:
        return field + " must not contain control characters.";
    case TopicFault::TooLong:
        return tooLong;
    }
    return {};
}

bool isLoopbackHost(std::string_view host) {
    if (host == "localhost" || host == "::1" || host == "[::1]")
        return true;
    // 127.0.0.0/8, written as a dotted address.
    if (host.substr(0, 4) != "127.")
        return false;
    int dots = 0;
    for (const char c : host) {
        if (c == '.')
            ++dots;
        else if (c < '0' || c > '9')
            return false;
    }
    return dots == 3;
}

// Owner-only before the first byte of the password is written: the atomic
// replacement gives its temporary file the mode of the file it replaces.
int makeOwnerOnly(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    const int error = ::fchmod(fd, 0600) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

} // namespace

MqttConfig defaultMqttConfig(std::string_view hostName) {
    MqttConfig c;
    c.Enabled = "0";
    c.Host = "localhost";
    c.Port = std::to_string(kDefaultPort);
    c.TLS = "0";
    c.Topic = defaultTopic(hostName);
    c.Discovery = "1";
    c.DiscoveryPrefix = "homeassistant";
    c.Interval = "5";
    return c;
}

MqttConfig parseMqttConfig(std::string_view fileText, std::string_view hostName) {
    return readEscapedTaggedFields(fileText, defaultMqttConfig(hostName), kFields);
}

std::string formatMqttConfig(const MqttConfig& config) {
    std::string text = "MQTT Config File\r\n\r\n";
    writeEscapedTaggedLines(text, config, kFields);
    text += "\r\n";
    return text;
}

MqttConfig loadMqttConfig(const std::string& appFolder, std::string_view hostName) {
    return parseMqttConfig(readWholeFile(joinPath(appFolder, kMqttConfigFile)).value_or(""),
                           hostName);
}

int saveMqttConfig(const std::string& appFolder, const MqttConfig& config) {
    const std::string path = joinPath(appFolder, kMqttConfigFile);
    if (const int error = makeOwnerOnly(path))
        return error;
    return replaceFileReportingError(path, formatMqttConfig(config));
}

bool passwordTravelsUnencrypted(const MqttConfig& config, const NumberFormat& fmt) {
    // The password is only sent with a user name.
    return !config.User.empty() && !config.Password.empty() && !isSwitchOn(config.TLS, fmt) &&
           !isLoopbackHost(trimmed(config.Host));
}

namespace {

struct EnergyTexts {
    std::string Day;
    std::string EnergyTodayWh;
};

constexpr TaggedField<EnergyTexts> kEnergyFields[] = {
    {"Day", &EnergyTexts::Day},
    {"EnergyTodayWh", &EnergyTexts::EnergyTodayWh},
};

} // namespace

std::string formatPublishedEnergy(const PublishedEnergy& energy) {
    std::string text = "MQTT Published Energy\r\n\r\n";
    writeEscapedTaggedLines(
        text, EnergyTexts{energy.day, formatGeneral(energy.wh, NumberFormat{'.'})}, kEnergyFields);
    text += "\r\n";
    return text;
}

std::optional<PublishedEnergy> parsePublishedEnergy(std::string_view text) {
    const EnergyTexts t = readEscapedTaggedFields(text, EnergyTexts{}, kEnergyFields);
    const auto wh = parseNumber(t.EnergyTodayWh, NumberFormat{'.'});
    if (t.Day.empty() || !wh || *wh < 0)
        return std::nullopt;
    return PublishedEnergy{t.Day, *wh};
}

std::optional<PublishedEnergy> loadPublishedEnergy(const std::string& appFolder) {
    const auto text = readWholeFile(joinPath(appFolder, kPublishedEnergyFile));
    return text ? parsePublishedEnergy(*text) : std::nullopt;
}

int savePublishedEnergy(const std::string& appFolder, const PublishedEnergy& energy) {
    return replaceFileReportingError(joinPath(appFolder, kPublishedEnergyFile),
                                     formatPublishedEnergy(energy));
}

std::string mqttSaveFailedMessage(const std::string& path, int error) {
    return "The publishing settings could not be saved to " + path + " (" + errorText(error) +
           ").\nThe file was left as it was. Check that the folder exists and can be written "
           "to, then press \"Save\" again.";
}

std::string mqttConfigProblem(const MqttConfig& config, const NumberFormat& fmt) {
    std::string problem;
    mqttSettings(config, fmt, "", &problem);
    return problem;
}

MqttSettings mqttSettings(const MqttConfig& config, const NumberFormat& fmt,
                          std::string_view hostName, std::string* problem) {
    std::string first;
    auto note = [&first](std::string message) {
        if (first.empty())
            first = std::move(message);
    };

    MqttSettings s;
    s.enabled = isSwitchOn(config.Enabled, fmt);
    s.host = trimmed(config.Host);
    if (s.host.empty()) {
        note("Host must name the broker (a host name or an address).");
        s.host = "localhost";
    }
    if (const auto port = parsePortNumber(config.Port, fmt)) {
        s.port = *port;
    } else {
        note("Port must be a whole number from 1 to 65535.");
        s.port = kDefaultPort;
    }
    s.user = config.User;
    s.password = config.Password;
    s.tls = isSwitchOn(config.TLS, fmt);
    s.caFile = trimmed(config.CAFile);
    if (s.tls && s.caFile.empty())
        note("CA file must name the certificate file of the broker's authority when TLS is on.");
    s.topic = baseTopic(config.Topic);
    if (const std::string why = topicProblem("Topic", s.topic, kLongestLeaf); !why.empty()) {
        note(why);
        s.topic = defaultTopic(hostName);
    }
    s.discovery = isSwitchOn(config.Discovery, fmt);
    s.discoveryPrefix = baseTopic(config.DiscoveryPrefix);
    if (const std::string why = topicProblem("Discovery prefix", s.discoveryPrefix,
                                             kLongestDiscoveryLeaf + s.topic.size());
        !why.empty()) {
        note(why);
        s.discoveryPrefix = "homeassistant";
    }
    const auto interval = parseNumber(config.Interval, fmt);
    if (interval && *interval > 0) {
        s.intervalSeconds = *interval;
    } else {
        note("Interval must be a number of seconds above 0.");
        s.intervalSeconds = kDefaultInterval;
    }
    if (problem)
        *problem = std::move(first);
    return s;
}

} // namespace korvane
