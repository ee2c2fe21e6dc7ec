// Name lookups never hold up the event loop: a name server that takes
// seconds to answer delays the connection, not the window.

#include "publish/ui/publishing_dialog.h"
#include "publish_fixture.h"
#include "slow_resolver.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace korvane::test {
namespace {

class Resolving : public PublishFixture {
protected:
    void TearDown() override { setResolverDelayMs(0); }
};

// Each lookup takes 2 s, the broker is away at first, so the publisher
// looks the name up again on every retry; then the broker comes.
TEST_F(Resolving, ASlowNameServerNeverStallsThePublisherOrItsRetries) {
    TestBroker broker(dir.path());
    MqttConfig c = config(broker.port());
    c.Host = "slow.broker.test";
    writeConfig(c);
    setResolverDelayMs(2000);
    const int before = testNameLookups();
    auto p = publisher(std::make_unique<MemoryOutboxStorage>(), {200, 200, 10000, 2000});
    const qint64 retrying =
        longestStallUntil([&] { return testNameLookups() >= before + 2; }, 8000);
    EXPECT_GE(testNameLookups(), before + 2);
    EXPECT_NE(p->statusText().find("connection refused"), std::string::npos) << p->statusText();
    ASSERT_TRUE(broker.start());
    const qint64 connecting = longestStallUntil([&] { return p->isConnected(); }, 15000);
    EXPECT_TRUE(p->isConnected()) << p->statusText();
    std::cout << "longest stall with a 2 s name server: " << retrying << " ms retrying, "
              << connecting << " ms connecting\n";
    EXPECT_LT(retrying, 1000);
    EXPECT_LT(connecting, 1000);
    EXPECT_FALSE(testNameLookedUpOnMainThread());
}

TEST_F(Resolving, ANameThatDoesNotResolveIsSaidSo) {
    MqttConfig c = config(1883);
    c.Host = "missing.broker.test";
    writeConfig(c);
    auto p = publisher(std::make_unique<MemoryOutboxStorage>());
    ASSERT_TRUE(spinUntil([&] { return p->statusText().find("next try") != std::string::npos; }));
    EXPECT_EQ(
        p->statusText().rfind("MQTT: missing.broker.test:1883: host not found; next try in ", 0),
        0u)
        << p->statusText();
}

TEST_F(Resolving, TheDialogsTestButtonWaitsForASlowNameServerWithoutStalling) {
    TestBroker broker(dir.path());
    ASSERT_TRUE(broker.start());
    RecordingMessageSink messages;
    Publishing dialog(dir.path(), NumberFormat{}, messages, "shed", 10000);
    dialog.findChild<QLineEdit*>("Host")->setText("slow.broker.test");
    dialog.findChild<QLineEdit*>("Port")->setText(QString::number(broker.port()));
    auto* result = dialog.findChild<QLabel*>("TestResult");
    setResolverDelayMs(3000);
    dialog.findChild<QPushButton*>("TestConnection")->click();
    const qint64 stall =
        longestStallUntil([&] { return !result->text().startsWith("Connecting"); }, 15000);
    EXPECT_EQ(result->text(),
              QStringLiteral("Connected to slow.broker.test:%1: the broker accepted.")
                  .arg(broker.port()));
    EXPECT_LT(stall, 1000); // the lookup takes 3 s
    EXPECT_FALSE(testNameLookedUpOnMainThread());
}

} // namespace
} // namespace korvane::test
