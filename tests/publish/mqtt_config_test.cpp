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
        {&C::Topic, "korvane/g\xE4rtnerei", // a Latin-1 file
         "Topic must be valid UTF-8 text (save mqtt.cfg as UTF-8)."},
        {&C::Topic, "korvane/g\xC3\xA4rtnerei", ""},
        {&C::Topic, "korvane/a\tb", "Topic must not contain control characters."},
        {&C::DiscoveryPrefix, "home\xFF",
         "Discovery prefix must be valid UTF-8 text (save mqtt.cfg as UTF-8)."},
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
    // The longest topic made from the base topic must fit MQTT's 65535 bytes.
    MqttConfig longTopic = defaultMqttConfig("shed");
    longTopic.Topic = std::string(65535 - 22, 't');
    longTopic.Discovery = "0";
    longTopic.DiscoveryPrefix = "h";
    EXPECT_EQ(mqttConfigProblem(longTopic, NumberFormat{}),
              "Discovery prefix is too long: the topics made from it must stay within 65535 "
              "bytes.");
    longTopic.Topic += 't';
    EXPECT_EQ(mqttConfigProblem(longTopic, NumberFormat{}),
              "Topic is too long: the topics made from it must stay within 65535 bytes.");
    MqttConfig tls = defaultMqttConfig("shed");
    tls.TLS = "1";
    EXPECT_EQ(mqttConfigProblem(tls, NumberFormat{}),
              "CA file must name the certificate file of the broker's authority when TLS is on.");
}

// A password is typed freely: whatever it holds must come back as it was,
// and never switch another setting.
TEST(MqttConfig, ValuesCannotSmuggleTagsIntoTheFile) {
    const char* passwords[] = {"<TLS>0</TLS>", "ab</Password>cd", "</Password><Host>evil</Host>",
                               "&lt;kept&gt;", "a & b",           ""};
    for (const char* password : passwords) {
        MqttConfig c = defaultMqttConfig("shed");
        c.TLS = "1";
        c.CAFile = "/etc/ca.pem";
        c.Password = password;
        const MqttConfig back = parseMqttConfig(formatMqttConfig(c), "shed");
        EXPECT_EQ(back, c) << password;
        EXPECT_TRUE(mqttSettings(back, NumberFormat{}, "shed").tls) << password;
    }
    MqttConfig c = defaultMqttConfig("shed");
    c.Password = "<TLS>0</TLS>&";
    EXPECT_NE(formatMqttConfig(c).find("<Password>&lt;TLS&gt;0&lt;/TLS&gt;&amp;</Password>\r\n"),
              std::string::npos);
    // A file written before values were escaped reads as it did.
    EXPECT_EQ(parseMqttConfig("<Password>a&b</Password>", "shed").Password, "a&b");
}

TEST(MqttConfig, APasswordInClearToAnotherMachineIsToldOf) {
    struct Row {
        const char* host;
        const char* user;
        const char* password;
        const char* tls;
        bool unencrypted;
    };
    const Row rows[] = {
        {"broker.lan", "korvane", "s3cret", "0", true},
        {"192.168.1.20", "korvane", "s3cret", "0", true},
        {"128.0.0.1", "korvane", "s3cret", "0", true},
        {"127.0.0.1x", "korvane", "s3cret", "0", true},
        {"broker.lan", "korvane", "s3cret", "1", false},
        {"broker.lan", "", "s3cret", "0", false}, // no user: the password is not sent
        {"broker.lan", "korvane", "", "0", false},
        {" localhost ", "korvane", "s3cret", "0", false},
        {"127.0.1.1", "korvane", "s3cret", "0", false},
        {"::1", "korvane", "s3cret", "0", false},
    };
    for (const Row& r : rows) {
        MqttConfig c = defaultMqttConfig("shed");
        c.Host = r.host;
        c.User = r.user;
        c.Password = r.password;
        c.TLS = r.tls;
        EXPECT_EQ(passwordTravelsUnencrypted(c, NumberFormat{}), r.unencrypted) << r.host;
    }
}

TEST(MqttConfig, ThePublishedEnergyFileKeepsTheDayAndTotal) {
    EXPECT_EQ(formatPublishedEnergy({"2026_12_8", 120.625}),
              "MQTT Published Energy\r\n\r\n<Day>2026_12_8</Day>\r\n"
              "<EnergyTodayWh>120.625</EnergyTodayWh>\r\n\r\n");
    EXPECT_EQ(parsePublishedEnergy(formatPublishedEnergy({"2026_12_8", 120.625})),
              (PublishedEnergy{"2026_12_8", 120.625}));
    for (const char* broken :
         {"", "<Day>2026_12_8</Day>", "<Day></Day><EnergyTodayWh>5</EnergyTodayWh>",
          "<Day>2026_12_8</Day><EnergyTodayWh>-1</EnergyTodayWh>",
          "<Day>2026_12_8</Day><EnergyTodayWh>nan</EnergyTodayWh>"})
        EXPECT_EQ(parsePublishedEnergy(broken), std::nullopt) << broken;
    test::TempDir dir;
    EXPECT_EQ(loadPublishedEnergy(dir.path()), std::nullopt);
    ASSERT_EQ(savePublishedEnergy(dir.path(), {"2026_12_9", 3.5}), 0);
    EXPECT_EQ(loadPublishedEnergy(dir.path()), (PublishedEnergy{"2026_12_9", 3.5}));
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
