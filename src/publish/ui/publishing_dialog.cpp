#include "publishing_dialog.h"

#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "platform/ui/dialog_fields.h"
#include "publish/qt/mqtt_client.h"
#include "publish/reconnect.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

namespace korvane {

namespace {

// A field with a line under it.
QWidget* withLine(QWidget* field, QLabel* label, QWidget* parent) {
    QFont small = label->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    label->setFont(small);
    auto* box = new QWidget(parent);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(field);
    column->addWidget(label);
    return box;
}

// A field with a line of plain words under it saying what it is.
QWidget* withHint(QWidget* field, const char* name, const char* hint, QWidget* parent) {
    auto* label = new QLabel(QString::fromLatin1(hint), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setForegroundRole(QPalette::PlaceholderText);
    return withLine(field, label, parent);
}

QWidget* inRow(QWidget* first, QWidget* second, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(first);
    row->addWidget(second);
    return box;
}

QString chooseFileWithDialog(QWidget* parent, const QString& current) {
    const QString start = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    return QFileDialog::getOpenFileName(
        parent, QStringLiteral("CA file"), start,
        QStringLiteral("Certificates (*.pem *.crt);;All files (*)"));
}

} // namespace

Publishing::Publishing(std::string appFolder, NumberFormat numberFormat, MessageSink& messages,
                       std::string hostName, int testTimeoutMs, QWidget* parent)
    : QDialog(parent), appFolder_(std::move(appFolder)), fmt_(numberFormat), messages_(messages),
      hostName_(std::move(hostName)), testTimeoutMs_(testTimeoutMs) {
    setObjectName(QStringLiteral("Publishing"));
    setWindowTitle(QStringLiteral("Publishing"));
    if (hostName_.empty())
        hostName_ = QSysInfo::machineHostName().toStdString();

    const int wide = twips(3600);
    const int narrow = twips(900);
    Enabled = checkBox("Enabled", "Publish to an MQTT broker", this);
    Host = textBox("Host", "Host", wide, this);
    Port = textBox("Port", "Port", narrow, this);
    User = textBox("User", "User", wide, this);
    Password = textBox("Password", "Password", wide, this);
    Password->setEchoMode(QLineEdit::Password);
    TLS = checkBox("TLS", "Use TLS", this);
    CAFile = textBox("CAFile", "CA file", wide, this);
    Topic = textBox("Topic", "Topic", wide, this);
    Discovery = checkBox("Discovery", "Home Assistant discovery", this);
    DiscoveryPrefix = textBox("DiscoveryPrefix", "Discovery prefix", wide, this);
    Interval = textBox("Interval", "Interval", narrow, this);
    PasswordWarning = new QLabel(
        QStringLiteral("Sent unencrypted: anyone on the network can read it. Tick \"Use TLS\"."),
        this);
    PasswordWarning->setObjectName(QStringLiteral("PasswordWarning"));
    PasswordWarning->setStyleSheet(QStringLiteral("color: #a03000"));
    BrowseCAFile = new QPushButton(QStringLiteral("Browse..."), this);
    BrowseCAFile->setObjectName(QStringLiteral("BrowseCAFile"));
    BrowseCAFile->setAutoDefault(false);
    chooseFile_ = chooseFileWithDialog;

    auto* form = new QFormLayout;
    form->addRow(Enabled);
    form->addRow(QStringLiteral("Host"),
                 withHint(Host, "HostHint",
                          "The broker is the server that hands the readings on to Home "
                          "Assistant or Node-RED.",
                          this));
    form->addRow(QStringLiteral("Port"), Port);
    form->addRow(QStringLiteral("User"), User);
    form->addRow(QStringLiteral("Password"), withLine(Password, PasswordWarning, this));
    form->addRow(TLS);
    form->addRow(QStringLiteral("CA file"), inRow(CAFile, BrowseCAFile, this));
    form->addRow(QStringLiteral("Topic"),
                 withHint(Topic, "TopicHint",
                          "The base topic names this Korvane on the broker: all its messages "
                          "go below it.",
                          this));
    form->addRow(withHint(Discovery, "DiscoveryHint",
                          "Discovery lets Home Assistant find Korvane and set up its sensors by "
                          "itself.",
                          this));
    form->addRow(QStringLiteral("Discovery prefix"), DiscoveryPrefix);
    form->addRow(QStringLiteral("Interval (seconds)"), Interval);

    TestConnection = new QPushButton(QStringLiteral("Test connection"), this);
    TestConnection->setObjectName(QStringLiteral("TestConnection"));
    TestConnection->setAutoDefault(false);
    Save = new QPushButton(QStringLiteral("Save"), this);
    Save->setObjectName(QStringLiteral("Save"));
    Save->setDefault(true);
    TestResult = new QLabel(this);
    TestResult->setObjectName(QStringLiteral("TestResult"));
    TestResult->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(TestConnection);
    buttons->addWidget(Save);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(twips(120));
    layout->addLayout(buttons);
    layout->addWidget(TestResult);

    connect(Save, &QPushButton::clicked, this, [this] { Save_Click(); });
    connect(TestConnection, &QPushButton::clicked, this, [this] { TestConnection_Click(); });
    connect(BrowseCAFile, &QPushButton::clicked, this, [this] { BrowseCAFile_Click(); });
    for (QLineEdit* box : {Host, User, Password})
        connect(box, &QLineEdit::textChanged, this, [this] { updatePasswordWarning(); });
    connect(TLS, &QCheckBox::toggled, this, [this] { updatePasswordWarning(); });
    Form_Load();
}

Publishing::~Publishing() = default;

std::array<Publishing::TextField, 8> Publishing::textFields() const {
    using C = MqttConfig;
    return {{{Host, &C::Host},
             {Port, &C::Port},
             {User, &C::User},
             {Password, &C::Password},
             {CAFile, &C::CAFile},
             {Topic, &C::Topic},
             {DiscoveryPrefix, &C::DiscoveryPrefix},
             {Interval, &C::Interval}}};
}

std::array<Publishing::SwitchField, 3> Publishing::switchFields() const {
    using C = MqttConfig;
    return {{{Enabled, &C::Enabled}, {TLS, &C::TLS}, {Discovery, &C::Discovery}}};
}

void Publishing::Form_Load() {
    const MqttConfig config = loadMqttConfig(appFolder_, hostName_);
    for (const TextField& f : textFields())
        f.box->setText(fromLocal8(config.*f.text));
    for (const SwitchField& f : switchFields())
        f.box->setChecked(isSwitchOn(config.*f.text, fmt_));
    // A file edited by hand may hold what publishing replaced by a default
    // (a topic in another encoding): say so before the user saves over it.
    if (const std::string problem = mqttConfigProblem(config, fmt_); !problem.empty())
        TestResult->setText(QStringLiteral("mqtt.cfg: ") + fromLocal8(problem));
    updatePasswordWarning();
}

void Publishing::updatePasswordWarning() {
    PasswordWarning->setVisible(passwordTravelsUnencrypted(edited(), fmt_));
}

void Publishing::BrowseCAFile_Click() {
    const QString chosen = chooseFile_(this, CAFile->text());
    if (!chosen.isEmpty())
        CAFile->setText(chosen);
}

MqttConfig Publishing::edited() const {
    MqttConfig config;
    for (const TextField& f : textFields())
        config.*f.text = toLocal8(f.box->text());
    for (const SwitchField& f : switchFields())
        config.*f.text = f.box->isChecked() ? "1" : "0";
    return config;
}

void Publishing::Save_Click() {
    const MqttConfig config = edited();
    const std::string problem = mqttConfigProblem(config, fmt_);
    if (!problem.empty()) {
        messages_.showMessage(problem);
        return;
    }
    if (const int error = saveMqttConfig(appFolder_, config)) {
        messages_.showMessage(mqttSaveFailedMessage(joinPath(appFolder_, kMqttConfigFile), error));
        return;
    }
    accept();
}

void Publishing::TestConnection_Click() {
    const MqttConfig config = edited();
    const std::string problem = mqttConfigProblem(config, fmt_);
    if (!problem.empty()) {
        TestResult->setText(QString::fromStdString(problem));
        return;
    }
    const MqttSettings s = mqttSettings(config, fmt_, hostName_);
    const QString broker = QString::fromStdString(brokerName(s.host, s.port));
    delete test_;
    test_ = new MqttClient(this);
    connect(test_, &MqttClient::connected, this, [this, broker] {
        TestResult->setText(QStringLiteral("Connected to %1: the broker accepted.").arg(broker));
        test_->close();
    });
    connect(test_, &MqttClient::failed, this, [this, broker](const QString& reason) {
        TestResult->setText(QStringLiteral("%1: %2").arg(broker, reason));
    });
    TestResult->setText(QStringLiteral("Connecting to %1 ...").arg(broker));
    MqttConnectOptions o;
    o.host = s.host;
    o.port = s.port;
    o.user = s.user;
    o.password = s.password;
    o.tls = s.tls;
    o.caFile = s.caFile;
    // Its own client id, so the test never pushes the running publisher off.
    o.clientId = "korvane-test-" + deviceId(s.topic);
    o.connectTimeoutMs = testTimeoutMs_;
    test_->open(o);
}

bool openPublishingDialog(QWidget* owner, const std::string& appFolder, NumberFormat numberFormat,
                          MessageSink& messages) {
    Publishing dialog(appFolder, numberFormat, messages, {}, 5000, owner);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace korvane
