#include "publish/mqtt_config.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace korvane {
namespace {

TEST(MqttConfig, AFreshFileIsOffWithTheHostInTheTopic) {
    EXPECT_EQ(formatMqttConfig(defaultMqttConfig("shed")),
              "MQTT Config File\r\n\r\n"
              "<Enabled>0</Enabled>\r\n<Host>localhost</Host>\r\n<Port>1883</Port>\r\n"
              "<User></User>\r\n<Password></Password>\r\n<TLS>0</TLS>\r\n<CAFile></CAFile>\r\n"
              "<Topic>korvane/shed</Topic>\r\n<Discovery>1</Discovery>\r\n"
              "<DiscoveryPrefix>homeassistant</DiscoveryPrefix>\r\n<Interval>5</Interval>\r\n"
              "\r\n");
}

TEST(MqttConfig, PresentKeysKeepTheirTextAndTheSettingsTrimTheTopic) {
    const MqttConfig c = parseMqttConfig(
        "<Enabled>1</Enabled><Host> broker.lan </Host><Port>8883</Port><Topic>sites/north/</Topic>"
        "<Interval>2,5</Interval>",
        "shed");
    EXPECT_EQ(c.Host, " broker.lan ");
    EXPECT_EQ(c.DiscoveryPrefix, "homeassistant");
    std::string problem;
    const MqttSettings s = mqttSettings(c, NumberFormat{','}, "shed", &problem);
    EXPECT_EQ(problem, "");
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.host, "broker.lan");
    EXPECT_EQ(s.port, 8883);
    EXPECT_EQ(s.topic, "sites/north");
    EXPECT_DOUBLE_EQ(s.intervalSeconds, 2.5);
}

TEST(MqttConfig, EachRefusedFieldIsNamedAndFallsBackToItsDefault) {
    using C = MqttConfig;
    struct Row {
        std::string C::*field;
        const char* text;
        const char* message; // empty: accepted
    };
    const Row rows[] = {
        {&C::Port, "0", "Port must be a whole number from 1 to 65535."},
        {&C::Port, "65536", "Port must be a whole number from 1 to 65535."},
        {&C::Port, "1883.5", "Port must be a whole number from 1 to 65535."},
        {&C::Port, "", "Port must be a whole number from 1 to 65535."},
        {&C::Port, "65535", ""},
        {&C::Interval, "0", "Interval must be a number of seconds above 0."},
        {&C::Interval, "-5", "Interval must be a number of seconds above 0."},
        {&C::Interval, "5,0", "Interval must be a number of seconds above 0."}, // dot locale
        {&C::Interval, "0.5", ""},
        {&C::Host, "  ", "Host must name the broker (a host name or an address)."},
        {&C::Topic, "korvane/+/x", "Topic must not be empty and must not contain + or #."},
        {&C::Topic, "/", "Topic must not be empty and must not contain + or #."},
        {&C::DiscoveryPrefix, "#",
         "Discovery prefix must not be empty and must not contain + or #."},
    };
    for (const Row& r : rows) {
        MqttConfig c = defaultMqttConfig("shed");
        c.*r.field = r.text;
        EXPECT_EQ(mqttConfigProblem(c, NumberFormat{}), r.message) << r.text;
        const MqttSettings s = mqttSettings(c, NumberFormat{}, "shed");
        if (*r.message) {
            EXPECT_EQ(s.port == 1883 && s.intervalSeconds == 5 && s.topic == "korvane/shed" &&
                          s.discoveryPrefix == "homeassistant",
                      true)
                << r.text;
        }
    }
    MqttConfig tls = defaultMqttConfig("shed");
    tls.TLS = "1";
    EXPECT_EQ(mqttConfigProblem(tls, NumberFormat{}),
              "CA file must name the certificate file of the broker's authority when TLS is on.");
}

TEST(MqttConfig, TheSavedFileIsOwnerOnlyWhateverTheUmaskAndStaysSoOnReplace) {
    test::TempDir dir;
    const mode_t before = ::umask(0);
    ASSERT_EQ(saveMqttConfig(dir.path(), defaultMqttConfig("shed")), 0);
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("mqtt.cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    ::chmod(dir.file("mqtt.cfg").c_str(), 0644); // loosened by hand
    MqttConfig c = defaultMqttConfig("shed");
    c.Password = "s3cret";
    ASSERT_EQ(saveMqttConfig(dir.path(), c), 0);
    ::umask(before);
    ASSERT_EQ(::stat(dir.file("mqtt.cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(loadMqttConfig(dir.path(), "shed"), c);
}

} // namespace
} // namespace korvane
