#pragma once
// The Publishing dialog: edits mqtt.cfg and tries the connection.

// Qt's headers first: the moc of Qt 6.4 fails on <compare> (from the clock)
// unless a Qt header came before it.
#include <QDialog>

#include "platform/messages.h"
#include "platform/numbers.h"
#include "publish/mqtt_config.h"

#include <array>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

class MqttClient;

// Modal dialog "Publishing".  It reads mqtt.cfg when created (a missing file
// or key shows its default).  "Test connection" connects with the fields as
// they stand, without saving, and says in the line below the buttons
// (object name TestResult) whether the broker accepted or why not; the
// dialog stays responsive meanwhile and the test gives up after
// `testTimeoutMs`.  "Save" refuses the first field that is not acceptable
// with a message naming it, else writes mqtt.cfg atomically (owner-only) and
// closes (accepted).  Closing by the frame or Escape discards the edits.
//
// Controls carry their tag names as object names: Enabled, Host, Port, User,
// Password, TLS, CAFile, Topic, Discovery, DiscoveryPrefix, Interval, and the
// buttons TestConnection and Save.  Under the password, PasswordWarning
// says when it would cross the network unencrypted; "Browse..." (BrowseCAFile)
// picks the CA file; one-line hints (HostHint, TopicHint, DiscoveryHint) say
// what a broker, a base topic and discovery are.  A field mqtt.cfg holds
// that would be refused is named in the TestResult line on opening.
class Publishing final : public QDialog {
    Q_OBJECT
public:
    Publishing(std::string appFolder, NumberFormat numberFormat, MessageSink& messages,
               std::string hostName = {}, int testTimeoutMs = 5000, QWidget* parent = nullptr);
    ~Publishing() override;

    // Asks for a file, starting from `current`; an empty answer keeps the
    // field as it is.  The default is a QFileDialog; tests give their own.
    using FileChooser = std::function<QString(QWidget* parent, const QString& current)>;
    void setFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

private:
    struct TextField {
        QLineEdit* box;
        std::string MqttConfig::*text;
    };
    struct SwitchField {
        QCheckBox* box;
        std::string MqttConfig::*text;
    };
    std::array<TextField, 8> textFields() const;
    std::array<SwitchField, 3> switchFields() const;
    MqttConfig edited() const;
    void Form_Load();
    void Save_Click();
    void TestConnection_Click();
    void BrowseCAFile_Click();
    void updatePasswordWarning();

    std::string appFolder_;
    NumberFormat fmt_;
    MessageSink& messages_;
    std::string hostName_;
    int testTimeoutMs_;
    MqttClient* test_ = nullptr;
    FileChooser chooseFile_;

    QCheckBox* Enabled;
    QLineEdit* Host;
    QLineEdit* Port;
    QLineEdit* User;
    QLineEdit* Password;
    QCheckBox* TLS;
    QLineEdit* CAFile;
    QLineEdit* Topic;
    QCheckBox* Discovery;
    QLineEdit* DiscoveryPrefix;
    QLineEdit* Interval;
    QLabel* PasswordWarning;
    QPushButton* BrowseCAFile;
    QPushButton* TestConnection;
    QPushButton* Save;
    QLabel* TestResult;
};

// Shows the dialog modally over `owner`; true when the user saved (the
// publisher should then reload()).
bool openPublishingDialog(QWidget* owner, const std::string& appFolder, NumberFormat numberFormat,
                          MessageSink& messages);

} // namespace korvane
