// The Publishing dialog without a broker: the password warning, the CA
// file chooser, the hints and a hand-edited file that holds a refused field.

#include "publish/ui/publishing_dialog.h"
#include "publish_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace korvane::test {
namespace {

class Dialog : public PublishFixture {
protected:
    RecordingMessageSink messages;
};

TEST_F(Dialog, SaysWhenThePasswordWouldTravelUnencrypted) {
    Publishing dialog(dir.path(), NumberFormat{}, messages, "shed");
    dialog.show();
    auto* host = dialog.findChild<QLineEdit*>("Host");
    auto* user = dialog.findChild<QLineEdit*>("User");
    auto* password = dialog.findChild<QLineEdit*>("Password");
    auto* tls = dialog.findChild<QCheckBox*>("TLS");
    auto* warning = dialog.findChild<QLabel*>("PasswordWarning");
    ASSERT_TRUE(host && user && password && tls && warning);
    EXPECT_FALSE(warning->isVisible()); // localhost, no password
    user->setText("korvane");
    password->setText("s3cret");
    EXPECT_FALSE(warning->isVisible());
    host->setText("broker.lan");
    EXPECT_TRUE(warning->isVisible());
    EXPECT_EQ(warning->text(),
              "Sent unencrypted: anyone on the network can read it. Tick \"Use TLS\".");
    tls->setChecked(true);
    EXPECT_FALSE(warning->isVisible());
    tls->setChecked(false);
    host->setText("127.0.0.1");
    EXPECT_FALSE(warning->isVisible());
}

TEST_F(Dialog, BrowseFillsInTheChosenCaFileAndCancelKeepsTheOld) {
    Publishing dialog(dir.path(), NumberFormat{}, messages, "shed");
    auto* caFile = dialog.findChild<QLineEdit*>("CAFile");
    auto* browse = dialog.findChild<QPushButton*>("BrowseCAFile");
    ASSERT_TRUE(caFile && browse);
    EXPECT_EQ(browse->text(), "Browse...");
    QStringList asked;
    QString answer = "/etc/korvane/ca.pem";
    dialog.setFileChooser([&](QWidget* parent, const QString& current) {
        EXPECT_EQ(parent, &dialog);
        asked << current;
        return answer;
    });
    caFile->setText("/old/ca.pem");
    browse->click();
    EXPECT_EQ(caFile->text(), "/etc/korvane/ca.pem");
    answer.clear(); // cancelled
    browse->click();
    EXPECT_EQ(caFile->text(), "/etc/korvane/ca.pem");
    EXPECT_EQ(asked, (QStringList{"/old/ca.pem", "/etc/korvane/ca.pem"}));
}

TEST_F(Dialog, HintsSayWhatABrokerABaseTopicAndDiscoveryAre) {
    Publishing dialog(dir.path(), NumberFormat{}, messages, "shed");
    const std::pair<const char*, const char*> hints[] = {
        {"HostHint", "The broker is the server that hands the readings on to Home Assistant or "
                     "Node-RED."},
        {"TopicHint", "The base topic names this Korvane on the broker: all its messages go "
                      "below it."},
        {"DiscoveryHint",
         "Discovery lets Home Assistant find Korvane and set up its sensors by itself."},
    };
    for (const auto& [name, text] : hints) {
        auto* label = dialog.findChild<QLabel*>(name);
        ASSERT_TRUE(label) << name;
        EXPECT_EQ(label->text(), text);
    }
}

TEST_F(Dialog, AFieldTheFileHoldsThatIsRefusedIsNamedOnOpening) {
    MqttConfig c = defaultMqttConfig("shed");
    c.Topic = "korvane/g\xe4rtnerei";
    writeConfig(c);
    Publishing dialog(dir.path(), NumberFormat{}, messages, "shed");
    EXPECT_EQ(dialog.findChild<QLabel*>("TestResult")->text(),
              "mqtt.cfg: Topic must be valid UTF-8 text (save mqtt.cfg as UTF-8).");
    dialog.findChild<QLineEdit*>("Topic")->setText("korvane/#");
    dialog.findChild<QPushButton*>("Save")->click();
    EXPECT_EQ(messages.messages,
              std::vector<std::string>{"Topic must not be empty and must not contain + or #."});
}

} // namespace
} // namespace korvane::test
