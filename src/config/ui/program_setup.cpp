#include "program_setup.h"

#include "adapter_panel.h"
#include "config/program_setup_rules.h"
#include "config/settings_files.h"
#include "platform/files.h"
#include "platform/port_link.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_serial_adapters.h"
#include "switch_check_box.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

QLineEdit* textBox(const char* name, int widthPx, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFixedWidth(widthPx);
    return box;
}

SwitchCheckBox* checkBox(const char* name, QWidget* parent) {
    auto* box = new SwitchCheckBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

ProgramSetup::ProgramSetup(std::string appFolder, NumberFormat numberFormat, MessageSink& messages,
                           QWidget* parent)
    : ProgramSetup(std::move(appFolder), numberFormat, messages,
                   std::make_unique<QtSerialAdapterList>(), nullptr, parent) {}

ProgramSetup::ProgramSetup(std::string appFolder, NumberFormat numberFormat, MessageSink& messages,
                           const SerialAdapterList& adapters, QWidget* parent)
    : ProgramSetup(std::move(appFolder), numberFormat, messages, nullptr, &adapters, parent) {}

ProgramSetup::~ProgramSetup() = default;

ProgramSetup::ProgramSetup(std::string appFolder, NumberFormat numberFormat, MessageSink& messages,
                           std::unique_ptr<SerialAdapterList> ownList,
                           const SerialAdapterList* adapters, QWidget* parent)
    : QDialog(parent), ownList_(std::move(ownList)), appFolder_(std::move(appFolder)),
      fmt_(numberFormat), messages_(messages) {
    setObjectName(QStringLiteral("ProgramSetup"));
    setWindowTitle(QStringLiteral("Korvane Setup"));

    PortNumber = textBox("PortNumber", twips(750), this);
    Savehtml = checkBox("Savehtml", this);
    SaveExcel = checkBox("SaveExcel", this);
    LogDelay = textBox("LogDelay", twips(750), this);
    LogOn = checkBox("LogOn", this);
    DisplayRPM = checkBox("DisplayRPM", this);
    DisplayWS = checkBox("DisplayWS", this);
    WSUnits = textBox("WSUnits", twips(1200), this);
    portDevice_ = new QLabel(this);
    portDevice_->setObjectName(QStringLiteral("PortDevice"));

    struct Row {
        const char* label;
        QWidget* input;
        QLabel* note;
    };
    const Row rows[] = {
        {"Com port", PortNumber, portDevice_},
        {"Save HTML page?", Savehtml, new QLabel(QStringLiteral("Saved to /html folder"), this)},
        {"Save Excel File?", SaveExcel, new QLabel(QStringLiteral("Saved to /Excel folder"), this)},
        {"Default Logging Interval", LogDelay,
         new QLabel(QStringLiteral("Seconds ( 10 - 600 )"), this)},
        {"Start Logger Automatically?", LogOn, nullptr},
        {"Display RPM?", DisplayRPM, nullptr},
        {"Display Wind Speed?", DisplayWS, nullptr},
        {"Wind Speed Units", WSUnits, nullptr},
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(twips(180));
    grid->setVerticalSpacing(twips(90));
    int row = 0;
    for (const Row& r : rows) {
        auto* label = new QLabel(QString::fromLatin1(r.label), this);
        label->setBuddy(r.input);
        // The check boxes have no text of their own; assistive tools read
        // the row's label instead.
        r.input->setAccessibleName(label->text());
        grid->addWidget(label, row, 0);
        // Left-aligned at their own size, so only the box itself reacts to a
        // click, not the empty cell beside it.
        grid->addWidget(r.input, row, 1, Qt::AlignLeft);
        if (r.note)
            grid->addWidget(r.note, row, 2);
        ++row;
    }
    grid->setColumnMinimumWidth(2, twips(2400));

    Command1 = new QPushButton(QStringLiteral("Save Setings"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);

    adapters_ = new AdapterPanel(ownList_ ? *ownList_ : *adapters, this);
    adapters_->setObjectName(QStringLiteral("AdapterPanel"));

    // The settings column is laid out exactly as without the adapters; the
    // stretch keeps it at the top when the adapters column is the taller.
    auto* settings = new QVBoxLayout;
    settings->addLayout(grid);
    settings->addSpacing(twips(120));
    settings->addWidget(Command1, 0, Qt::AlignHCenter);
    settings->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(settings);
    layout->addSpacing(twips(240));
    layout->addWidget(adapters_, 0, Qt::AlignTop);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(adapters_, &AdapterPanel::useRequested, this,
            [this](const SerialAdapter& adapter) { useForPort(adapter); });
    connect(PortNumber, &QLineEdit::textChanged, this, [this] { showPortDevice(); });

    Form_Load();
}

void ProgramSetup::Form_Load() {
    const ProgramConfig config = loadProgramConfig(appFolder_);
    savedPort_ = config.Port;
    PortNumber->setText(fromLocal8(config.Port));
    Savehtml->setValue(checkBoxValue(config.Savehtml, fmt_));
    SaveExcel->setValue(checkBoxValue(config.SaveExcel, fmt_));
    LogDelay->setText(fromLocal8(config.LogDelay));
    LogOn->setValue(checkBoxValue(config.LogOn, fmt_));
    DisplayRPM->setValue(checkBoxValue(config.DisplayRPM, fmt_));
    DisplayWS->setValue(checkBoxValue(config.DisplayWS, fmt_));
    WSUnits->setText(fromLocal8(config.WSUnits));
    showPortDevice();
}

void ProgramSetup::Command1_Click() {
    const std::string port = toLocal8(PortNumber->text());
    if (!isValidPortText(port, fmt_)) {
        messages_.showMessage(std::string(kBadPortMessage));
        return;
    }
    const ProgramConfig config{port,
                               checkBoxText(Savehtml->value()),
                               checkBoxText(SaveExcel->value()),
                               toLocal8(LogDelay->text()),
                               checkBoxText(LogOn->value()),
                               checkBoxText(DisplayRPM->value()),
                               checkBoxText(DisplayWS->value()),
                               toLocal8(WSUnits->text())};
    if (!saveProgramConfig(appFolder_, config)) {
        messages_.showMessage(setupSaveFailedMessage(joinPath(appFolder_, kProgramConfigFile)));
        return;
    }
    accept();
}

void ProgramSetup::useForPort(const SerialAdapter& adapter) {
    const std::string port = toLocal8(PortNumber->text());
    if (!isValidPortText(port, fmt_)) {
        messages_.showMessage(std::string(kBadPortMessage));
        return;
    }
    // Rounded as the main window rounds the saved text, so com<n> is the
    // link it will open.
    const int number = toInt16(*parseNumber(port, fmt_));
    const PortLinkResult result = linkPort(appFolder_, number, adapter.path);
    if (result.outcome != PortLinkResult::Outcome::Linked) {
        messages_.showMessage(portLinkFailedMessage(result));
        return;
    }
    showPortDevice();
    QString note =
        QStringLiteral("com%1 now leads to %2.").arg(number).arg(fromLocal8(adapter.path));
    if (port != savedPort_)
        note += QStringLiteral(" Press \"Save Setings\" to use port %1.").arg(number);
    if (const QString access = adapterAccessNote(adapter); !access.isEmpty())
        note += QLatin1Char(' ') + access;
    adapters_->setNote(note);
}

void ProgramSetup::showPortDevice() {
    portDevice_->setText(
        fromLocal8(portDeviceNote(toLocal8(PortNumber->text()), appFolder_, fmt_)));
}

} // namespace korvane
