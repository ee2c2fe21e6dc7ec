#include "web_dialog.h"

#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "platform/ui/dialog_fields.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

QString saveFailedMessage(const std::string& path, int error) {
    return QStringLiteral("The web settings could not be saved to %1 (%2).\nThe file was left as "
                          "it was. Check that the folder exists and can be written to, then "
                          "press \"Save\" again.")
        .arg(fromLocal8(path), QString::fromStdString(errorText(error)));
}

} // namespace

std::vector<std::string> lanAddresses() {
    std::vector<std::string> v4, v6;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        const auto flags = i.flags();
        if (!(flags & QNetworkInterface::IsUp) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& e : i.addressEntries()) {
            const QHostAddress a = e.ip();
            if (a.isLoopback() || a.isLinkLocal())
                continue;
            if (a.protocol() == QAbstractSocket::IPv4Protocol)
                v4.push_back(a.toString().toStdString());
            else if (a.protocol() == QAbstractSocket::IPv6Protocol)
                v6.push_back(a.toString().toStdString());
        }
    }
    v4.insert(v4.end(), v6.begin(), v6.end());
    return v4;
}

WebDialog::WebDialog(std::string appFolder, MessageSink& messages, QWidget* parent)
    : QDialog(parent), appFolder_(std::move(appFolder)), messages_(messages) {
    setObjectName(QStringLiteral("Web"));
    setWindowTitle(QStringLiteral("Web"));

    const int wide = twips(3600);
    const int narrow = twips(900);
    Enabled = new QCheckBox(QStringLiteral("Serve the web dashboard"), this);
    Enabled->setObjectName(QStringLiteral("Enabled"));
    Listen = textBox("Listen", "Listen on", wide, this);
    Listen->setPlaceholderText(QStringLiteral("127.0.0.1 or 0.0.0.0"));
    Port = textBox("Port", "Port", narrow, this);
    Password = textBox("Password", "Password", wide, this);
    Password->setEchoMode(QLineEdit::Password);
    Password->setPlaceholderText(QStringLiteral("empty: no password"));

    auto* form = new QFormLayout;
    form->addRow(Enabled);
    form->addRow(QStringLiteral("Listen on"), Listen);
    form->addRow(QStringLiteral("Port"), Port);
    form->addRow(QStringLiteral("Password"), Password);

    auto* hint = new QLabel(
        QStringLiteral("127.0.0.1: this computer only.  0.0.0.0: every network it is on.\n"
                       "With a password set, the browser asks for the user name korvane and "
                       "that password. Nothing is encrypted: use it only on a network you "
                       "trust."),
        this);
    hint->setWordWrap(true);
    Addresses = new QLabel(this);
    Addresses->setObjectName(QStringLiteral("Addresses"));
    Addresses->setWordWrap(true);
    Addresses->setTextInteractionFlags(Qt::TextSelectableByMouse);

    Save = new QPushButton(QStringLiteral("Save"), this);
    Save->setObjectName(QStringLiteral("Save"));
    Save->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Save);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addSpacing(twips(120));
    layout->addWidget(Addresses);
    layout->addSpacing(twips(120));
    layout->addLayout(buttons);
    setMinimumWidth(twips(6000));

    connect(Save, &QPushButton::clicked, this, [this] { Save_Click(); });
    for (QLineEdit* box : {Listen, Port})
        connect(box, &QLineEdit::textChanged, this, [this] { showAddresses(); });
    connect(Enabled, &QCheckBox::toggled, this, [this] { showAddresses(); });
    Form_Load();
}

WebDialog::~WebDialog() = default;

void WebDialog::Form_Load() {
    const WebConfig config = loadWebConfig(appFolder_);
    const NumberFormat dot;
    Enabled->setChecked(isSwitchOn(config.Enabled, dot));
    Listen->setText(fromLocal8(config.Listen));
    Port->setText(fromLocal8(config.Port));
    Password->setText(fromLocal8(config.Password));
    showAddresses();
}

WebConfig WebDialog::edited() const {
    WebConfig config;
    config.Enabled = Enabled->isChecked() ? "1" : "0";
    config.Listen = toLocal8(Listen->text());
    config.Port = toLocal8(Port->text());
    config.Password = toLocal8(Password->text());
    return config;
}

void WebDialog::showAddresses() {
    const WebConfig config = edited();
    const std::string problem = webConfigProblem(config);
    if (!problem.empty() && problem.rfind("Password", 0) != 0) {
        Addresses->setText(QString::fromStdString(problem));
        return;
    }
    const WebSettings s = webSettings(config);
    QStringList lines;
    if (!listensBeyondLoopback(s.listen)) {
        lines << QStringLiteral(
                     "On this computer open http://%1:%2/ (other devices cannot reach it).")
                     .arg(QString::fromStdString(s.listen))
                     .arg(s.port);
    } else {
        std::vector<std::string> addresses = lanAddresses();
        if (s.listen != "0.0.0.0" && s.listen != "::")
            addresses = {s.listen};
        lines << QStringLiteral("On a phone or another computer type:");
        for (const std::string& a : addresses) {
            const QString host = QString::fromStdString(a);
            lines << QStringLiteral("    http://%1:%2/")
                         .arg(host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host)
                                                              : host)
                         .arg(s.port);
        }
        if (addresses.empty())
            lines << QStringLiteral("    (this computer has no network address just now)");
    }
    if (!s.enabled)
        lines << QStringLiteral("The dashboard is off until you tick \"Serve the web dashboard\".");
    Addresses->setText(lines.join(QLatin1Char('\n')));
}

void WebDialog::Save_Click() {
    const WebConfig config = edited();
    const std::string problem = webConfigProblem(config);
    if (!problem.empty()) {
        messages_.showMessage(problem);
        return;
    }
    if (const int error = saveWebConfig(appFolder_, config)) {
        messages_.showMessage(
            toLocal8(saveFailedMessage(joinPath(appFolder_, kWebConfigFile), error)));
        return;
    }
    accept();
}

bool openWebDialog(QWidget* owner, const std::string& appFolder, MessageSink& messages) {
    WebDialog dialog(appFolder, messages, owner);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace korvane
