#include "calibrate.h"

#include "calibration/calibration_settings.h"
#include "config/settings_files.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "value_label.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace korvane {

namespace {

// Shows `text` in the label's fixed width; a text too long (a long unit name)
// is elided rather than cut, with the whole of it in the tooltip.
void setFittedText(QLabel* label, const QString& text) {
    const QFontMetrics metrics = label->fontMetrics();
    const bool fits = metrics.horizontalAdvance(text) <= label->width();
    label->setText(fits ? text : metrics.elidedText(text, Qt::ElideRight, label->width()));
    label->setToolTip(fits ? QString() : text);
}

// The port state in its small corner: the advice after a reason ("no
// permission: add your user ...") is dropped first, then the end is elided.
// The tooltip always has the whole text.
QString fittedPortState(const QLabel* label, const QString& text) {
    const QFontMetrics metrics = label->fontMetrics();
    const QRect room = label->contentsRect();
    const auto fits = [&](const QString& t) {
        return metrics.boundingRect(room, Qt::TextWordWrap | label->alignment(), t).height() <=
               room.height();
    };
    if (fits(text))
        return text;
    QString shorter = text;
    if (const auto reason = shorter.indexOf(QLatin1String(": ")); reason >= 0) {
        if (const auto advice = shorter.indexOf(QLatin1String(": "), reason + 2); advice > 0)
            shorter.truncate(advice);
    }
    while (!fits(shorter) && shorter.size() > 1)
        shorter = shorter.left(shorter.size() - 2) + QChar(0x2026);
    return shorter;
}

} // namespace

Calibrate::Calibrate(std::string appFolder, std::unique_ptr<SerialPort> port,
                     NumberFormat numberFormat, MessageSink& messages, QWidget* parent)
    : QDialog(parent), appFolder_(std::move(appFolder)), fmt_(numberFormat), messages_(messages),
      MSComm2(std::move(port)) {
    setObjectName(QStringLiteral("Calibrate"));
    setWindowTitle(QStringLiteral("Calibration"));
    if (auto* object = dynamic_cast<QObject*>(MSComm2.get()))
        object->setObjectName(QStringLiteral("MSComm2"));
    createControls();
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    Form_Load();
}

Calibrate::~Calibrate() {
    // The handler points at this dialog; the port must not call it while the
    // dialog's members are being torn down.
    MSComm2->setCommEventHandler({});
    MSComm2->close();
}

void Calibrate::done(int result) {
    portStateTimer_.stop();
    // The caller reopens its own port as soon as exec() returns, before this
    // object is destroyed: release the line now so only one control holds it.
    MSComm2->close();
    QDialog::done(result);
}

void Calibrate::Form_Load() {
    const CalibrationStart start =
        calibrationStart(loadProgramConfig(appFolder_), loadCalibrationConfig(appFolder_), fmt_);
    Port = start.Port;
    portText_ = start.PortText;
    WSUnits = start.WSUnits;
    VoltOffset = start.VoltOffset;

    // A long unit name must not run into the sums column.
    Label23->resize(twips(3690) - Label23->x(), Label23->height());
    setFittedText(Label23, fromLocal8(windQuestion(WSUnits)));

    if (Port) {
        MSComm2->setPortNumber(*Port);
        MSComm2->setSettings("4800,N,8,1");
        MSComm2->setInputLength(0);
        MSComm2->setCommEventHandler([this] { MSComm2_OnComm(); });
        MSComm2->open();
    }
    showPortState();
    portStateTimer_.setInterval(1000);
    connect(&portStateTimer_, &QTimer::timeout, this, [this] { showPortState(); });
    portStateTimer_.start();

    BatteryVolts->setText(fromLocal8(start.VoltDivider));
    BatteryCurrent->setText(fromLocal8(start.AmpDivider));
    OffsetV->setValueText(fromLocal8(offsetText(VoltOffset, fmt_)));
    PulseDivider->setText(fromLocal8(start.RPMDivider));
    Pulse2Divider->setText(fromLocal8(start.WSDivider));
}

void Calibrate::showPortState() {
    const QString text =
        fromLocal8(calibrationPortState(Port, portText_, MSComm2->isOpen(), MSComm2->problem()));
    if (PortState->toolTip() != text) {
        PortState->setText(fittedPortState(PortState, text));
        PortState->setToolTip(text);
    }
}

DividerBoxes Calibrate::dividerBoxes() const {
    return {toLocal8(BatteryVolts->text()), toLocal8(BatteryCurrent->text()),
            toLocal8(PulseDivider->text()), toLocal8(Pulse2Divider->text())};
}

void Calibrate::MSComm2_OnComm() {
    const std::string input = MSComm2->readInput();
    MSComm2->discardInput();
    if (receiver_.receive(input, PreviewInputs{dividerBoxes(), VoltOffset, WSUnits}, fmt_))
        showReadings();
}

void Calibrate::showReadings() {
    const CalibrationDisplay& d = receiver_.display();
    txtBattV->setValueText(fromLocal8(d.txtBattV));
    txtShuntV->setValueText(fromLocal8(d.txtShuntV));
    txtPulsess->setValueText(fromLocal8(d.txtPulsess));
    txtPulsess2->setValueText(fromLocal8(d.txtPulsess2));
    setFittedText(txtBattVadjusted, fromLocal8(d.txtBattVadjusted));
    setFittedText(txtBattAadjusted, fromLocal8(d.txtBattAadjusted));
    setFittedText(txtWindmillRPM, fromLocal8(d.txtWindmillRPM));
    setFittedText(txtWindSpeed, fromLocal8(d.txtWindSpeed));
}

void Calibrate::Command2_Click() {
    VoltOffset = receiver_.displayedRawAmps();
    OffsetV->setValueText(fromLocal8(offsetText(VoltOffset, fmt_)));
}

void Calibrate::Command1_Click() {
    if (!saveCalibrationConfig(appFolder_, calibrationToSave(dividerBoxes(), VoltOffset, fmt_))) {
        messages_.showMessage(
            calibrationSaveFailedMessage(joinPath(appFolder_, kCalibrationConfigFile)));
        return;
    }
    MSComm2->close();
    accept();
}

void Calibrate::Command6_Click() {
    reject();
}

} // namespace korvane
