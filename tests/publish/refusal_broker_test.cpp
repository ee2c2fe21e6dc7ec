// A message that can never be published is set aside, kept in the store,
// and the others go on; a topic MQTT refuses is refused in mqtt.cfg, and
// every payload is valid JSON whatever the bytes of the settings.

#include "config/program_config.h"
#include "publish_fixture.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <mosquitto.h>

namespace korvane::test {
namespace {

class Refusals : public PublishFixture {
protected:
    static MqttMessage record(int minute, std::string topic = "korvane/shed/record") {
        return {std::move(topic), R"({"local_time":"14:0)" + std::to_string(minute) + R"("})", 1,
                false};
    }
    // An outbox left by an earlier run: good, refused, good.
    static std::unique_ptr<MemoryOutboxStorage> leftWith(const MqttMessage& bad) {
        auto storage = std::make_unique<MemoryOutboxStorage>();
        storage->append(record(1));
        storage->append(bad);
        storage->append(record(3));
        return storage;
    }
};

TEST_F(Refusals, AMessageTheLibraryRefusesIsSetAsideAndTheRestGoOn) {
    TestBroker broker(dir.path());
    ASSERT_TRUE(broker.start());
    TestSubscriber sub(broker.port(), "korvane/#");
    ASSERT_TRUE(sub.waitSubscribed());
    writeConfig(config(broker.port()));
    auto storage = leftWith(record(2, "korvane/g\xe4rtnerei/record")); // Latin-1
    MemoryOutboxStorage& kept = *storage;
    auto p = publisher(std::move(storage));
    ASSERT_TRUE(spinUntil([&] { return sub.payloads("korvane/shed/record").size() == 2; }));
    EXPECT_EQ(sub.payloads("korvane/shed/record"),
              (std::vector<std::string>{record(1).payload, record(3).payload}));
    EXPECT_TRUE(spinUntil([&] { return p->waiting() == 0; }));
    EXPECT_EQ(p->setAside(), 1u);
    EXPECT_EQ(p->statusText(), "MQTT: connected to 127.0.0.1:" + std::to_string(broker.port()) +
                                   "; 1 message refused and set aside");
    // Acknowledged entries are deleted in batches; the refused one stays.
    ASSERT_TRUE(spinUntil([&] { return kept.entries.size() == 1; }));
    EXPECT_EQ(kept.entries[0].message.topic, "korvane/g\xe4rtnerei/record");
}

// Under MQTT 3.1.1 a broker refuses a message (here one above its
// max_packet_size) by closing the connection.
TEST_F(Refusals, AMessageTheBrokerRefusesIsSetAsideAndTheRestGoOn) {
    TestBroker broker(dir.path(), {{}, {}, {}, {}, {}, "max_packet_size 1000\n"});
    ASSERT_TRUE(broker.start());
    TestSubscriber sub(broker.port(), "korvane/shed/record");
    ASSERT_TRUE(sub.waitSubscribed());
    writeConfig(config(broker.port()));
    MqttMessage big = record(2);
    big.payload = R"({"local_time":"14:02","note":")" + std::string(2000, 'x') + R"("})";
    auto storage = leftWith(big);
    MemoryOutboxStorage& kept = *storage;
    auto p = publisher(std::move(storage), {100, 400, 3000, 2000});
    ASSERT_TRUE(spinUntil([&] { return p->setAside() == 1 && p->waiting() == 0; }))
        << p->statusText();
    ASSERT_TRUE(spinUntil([&] { return sub.payloads("korvane/shed/record").size() >= 2; }));
    // The one before it may have been repeated while the culprit was sought.
    std::vector<std::string> got = sub.payloads("korvane/shed/record");
    got.erase(std::unique(got.begin(), got.end()), got.end());
    EXPECT_EQ(got, (std::vector<std::string>{record(1).payload, record(3).payload}));
    EXPECT_TRUE(spinUntil([&] { return p->isConnected(); }));
    EXPECT_NE(p->statusText().find("; 1 message refused and set aside"), std::string::npos)
        << p->statusText();
    ASSERT_TRUE(spinUntil([&] { return kept.entries.size() == 1; }));
    EXPECT_EQ(kept.entries[0].message.payload, big.payload);
}

// A Latin-1 mqtt.cfg: the topic is refused by name and the default used, so
// the will, availability and records still go out.
TEST_F(Refusals, ATopicMqttRefusesIsNamedAndTheDefaultUsed) {
    TestBroker broker(dir.path());
    ASSERT_TRUE(broker.start());
    TestSubscriber sub(broker.port(), "korvane/#");
    ASSERT_TRUE(sub.waitSubscribed());
    MqttConfig c = config(broker.port());
    c.Topic = "korvane/g\xe4rtnerei";
    writeConfig(c);
    auto p = publisher(std::make_unique<MemoryOutboxStorage>());
    ASSERT_TRUE(spinUntil([&] { return p->isConnected(); }));
    p->recordLogged({{12.5, 1, 12.5, 100, 5}, 1, 14, 5, "2026_12_8"}, now());
    ASSERT_TRUE(spinUntil([&] { return sub.payloads("korvane/shed/record").size() == 1; }));
    EXPECT_EQ(sub.payloads("korvane/shed/availability"), std::vector<std::string>{"online"});
    EXPECT_EQ(p->statusText(), "MQTT: connected to 127.0.0.1:" + std::to_string(broker.port()) +
                                   "; mqtt.cfg: Topic must be valid UTF-8 text (save mqtt.cfg as "
                                   "UTF-8). Its default is used.");
}

// WSUnits is 8-bit text of the system code page; what is published is JSON,
// so UTF-8, even when prog.cfg holds a Latin-1 degree sign.
TEST_F(Refusals, DiscoveryIsValidJsonWhateverTheBytesOfWSUnits) {
    TestBroker broker(dir.path());
    ASSERT_TRUE(broker.start());
    TestSubscriber sub(broker.port(), "homeassistant/sensor/korvane_shed/wind/config");
    ASSERT_TRUE(sub.waitSubscribed());
    ProgramConfig prog = defaultProgramConfig();
    prog.WSUnits = "\xb0/s";
    dir.write("prog.cfg", formatProgramConfig(prog));
    MqttConfig c = config(broker.port());
    c.Discovery = "1";
    writeConfig(c);
    auto p = publisher(std::make_unique<MemoryOutboxStorage>());
    ASSERT_TRUE(spinUntil([&] { return sub.received().size() == 1; }));
    QJsonParseError error{};
    const QJsonDocument doc =
        QJsonDocument::fromJson(QByteArray::fromStdString(sub.received()[0].payload), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(doc.object().value("unit_of_measurement").toString(), QString::fromUtf8("\ufffd/s"));
}

// The topic rules are the library's own: what topicFault passes, libmosquitto
// publishes, and what it refuses, libmosquitto refuses.
TEST_F(Refusals, TheTopicRulesAgreeWithTheLibrary) {
    const std::string_view topics[] = {"korvane/shed",
                                       "korvane/g\xc3\xa4rtnerei",
                                       "korvane/g\xe4rtnerei",
                                       "korvane/\xc0\xaf",
                                       "korvane/\xed\xa0\x80",
                                       "korvane/\xf4\x90\x80\x80",
                                       "korvane/\x01",
                                       "korvane/\x7f",
                                       "korvane/\xc2\x9f",
                                       "korvane/\xc2\xa0",
                                       "korvane/\xef\xbf\xbe",
                                       "korvane/\xef\xb7\xaf",
                                       "korvane/\xef\xb7\xb0",
                                       "korvane/+",
                                       "korvane/#",
                                       "korvane/\xf0\x9f\x8c\xac"};
    for (const std::string_view t : topics) {
        const bool library = mosquitto_validate_utf8(t.data(), static_cast<int>(t.size())) == 0 &&
                             mosquitto_pub_topic_check2(t.data(), t.size()) == 0;
        EXPECT_EQ(topicFault(t) == TopicFault::None, library) << t;
    }
}

} // namespace
} // namespace korvane::test
