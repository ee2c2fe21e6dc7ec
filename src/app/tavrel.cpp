#include "tavrel.h"

#include "app/dialog_windows.h"
#include "config/settings_files.h"
#include "monitor/energy.h"
#include "platform/qt/qt_platform.h"
#include "platform/ui/message_box.h"
#include "recording/logging_control.h"
#include "recording/logging_tick.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

namespace korvane {

namespace {

constexpr const char* kLineSettings = "4800,N,8,1";
const QColor kLampRed(255, 0, 0);

} // namespace

Tavrel::Tavrel(TavrelServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)), logWriter_(services_.appFolder) {
    setObjectName("Tavrel");
    if (services_.messages == nullptr)
        ownMessages_ = std::make_unique<QtMessageSink>(this);
    messages_ = services_.messages ? services_.messages : ownMessages_.get();
    if (services_.windows == nullptr)
        ownWindows_ = std::make_unique<DialogWindows>(services_.appFolder, *services_.clock,
                                                      *services_.timeFormats,
                                                      services_.numberFormat, *messages_);
    windows_ = services_.windows ? services_.windows : ownWindows_.get();

    MSComm1 = services_.makePort();
    if (auto* object = dynamic_cast<QObject*>(MSComm1.get()))
        object->setObjectName("MSComm1");
    MSComm1->setCommEventHandler([this] { MSComm1_OnComm(); });
    buildControls();
    Form_Load();
}

Tavrel::~Tavrel() {
    // The port's event handler points back here; silence it before we go.
    MSComm1->setCommEventHandler(nullptr);
    MSComm1->close();
    tellSinksExiting();
}

void Tavrel::setLampColour(QPushButton* lamp, const QColor& colour) {
    QPalette p = lamp->palette();
    p.setColor(QPalette::Button, colour);
    p.setColor(QPalette::Window, colour);
    lamp->setPalette(p);
}

void Tavrel::Form_Load() {
    setWindowTitle(kWaitingCaption);
    StopLogging->setEnabled(false);
    LiveReading = {};
    WattHours = 0;
    // The day's energy so far survives a restart: it carries on from what
    // the history store counted before.
    energyDay_ = dayKey(services_.clock->now());
    lastHeardMs_ = services_.clock->utcMs();
    if (services_.energySoFar)
        WattHours = services_.energySoFar(energyDay_);
    LoadSettings();
    configurePortAndOpen();
    if (isSwitchOn(ProgramConfig.LogOn, services_.numberFormat))
        startLogging(toLocal8(delay->text()), false);
    Timer3.start();
    if (!services_.sinks.empty()) {
        const LiveTime when = liveTime();
        for (LiveSink* sink : services_.sinks)
            sink->started(WattHours, when);
    }
}

void Tavrel::LoadSettings() {
    ProgramConfig = loadProgramConfig(services_.appFolder);
    delay->setText(fromLocal8(ProgramConfig.LogDelay));
    BuildReadingsList();
    CalibrationConfig = loadCalibrationConfig(services_.appFolder);
    calibration_ = toCalibration(CalibrationConfig, services_.numberFormat);
}

void Tavrel::BuildReadingsList() {
    layout_ = readingsLayout(ProgramConfig, services_.numberFormat);
    ListView1->clear();
    ListView1->setMinimumHeight(0);
    ListView1->setColumnCount(3);
    ListView1->setHeaderHidden(true);
    ListView1->setFont(QFont("Arial", layout_.fontPoints));
    // The label column is as wide as the layout asks unless its longest
    // label would be cut off at this font size and screen resolution.
    const QFontMetrics metrics(ListView1->font());
    int labelWidth = twips(2600);
    for (const auto& row : placeholderRows(layout_))
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(fromLocal8(row.label)) +
                                              3 * metrics.averageCharWidth());
    ListView1->setColumnWidth(0, twips(1));
    ListView1->setColumnWidth(1, twips(1500));
    ListView1->setColumnWidth(2, labelWidth);
    ListView1->setFixedWidth(twips(1) + twips(1500) + labelWidth + 2 * ListView1->frameWidth());
    showRows(placeholderRows(layout_));
}

void Tavrel::RefreshReadingsList() {
    showRows(readingRows(layout_, LiveReading, WattHours, services_.numberFormat));
}

void Tavrel::showRows(const std::vector<ReadingRow>& rows) {
    // The rows are rewritten in place when their number has not changed: the
    // same picture as removing and adding them, without the relayout cost on
    // every packet.
    if (ListView1->topLevelItemCount() != static_cast<int>(rows.size())) {
        ListView1->clear();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            auto* item = new QTreeWidgetItem(ListView1);
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
            if (readingsStale_)
                item->setForeground(1, QBrush(kStaleGrey));
        }
        // Show every row without scrolling, whatever the font.
        const int rowHeight = ListView1->sizeHintForRow(0);
        ListView1->setMinimumHeight(rowHeight * static_cast<int>(rows.size()) +
                                    2 * ListView1->frameWidth() + 4);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto* item = ListView1->topLevelItem(static_cast<int>(i));
        const QString value = fromLocal8(rows[i].value);
        const QString label = fromLocal8(rows[i].label);
        if (item->text(1) != value)
            item->setText(1, value);
        if (item->text(2) != label)
            item->setText(2, label);
    }
}

void Tavrel::configurePortAndOpen() {
    // A port that is not a number, or below 1, names no device: the window
    // runs on without the board (energy and logging carry on with the last
    // values) and the status line says why.
    const auto number = parseNumber(ProgramConfig.Port, services_.numberFormat);
    portNumberSet_ = number && toInt16(*number) >= 1;
    if (portNumberSet_) {
        MSComm1->setPortNumber(toInt16(*number));
        MSComm1->setSettings(kLineSettings);
        MSComm1->setInputLength(0);
        MSComm1->open();
    }
    updatePortStatus();
}

void Tavrel::startLogging(const std::string& delayText, bool reportErrors) {
    const auto interval = checkLoggingInterval(delayText, services_.numberFormat);
    if (!interval) {
        if (reportErrors)
            messages_->showMessage(kInvalidDelayMessage);
        return;
    }
    delay->setText(fromLocal8(interval->delayText));
    Timer1.setInterval(interval->periodMs);
    delay->setEnabled(false);
    StartLogging->setEnabled(false);
    StopLogging->setEnabled(true);
    Timer1.start();
}

void Tavrel::StartLogging_Click() {
    startLogging(toLocal8(delay->text()), true);
    if (Timer1.isActive())
        IntervalPeaks = {};
}

void Tavrel::StopLogging_Click() {
    StartLogging->setEnabled(true);
    delay->setEnabled(true);
    StopLogging->setEnabled(false);
    Timer1.stop();
}

void Tavrel::Setup_Click() {
    MSComm1->close();
    portAwayReason_ = "closed while Program Setup is open";
    updatePortStatus();
    windows_->programSetup(this);
    portAwayReason_.clear();
    LoadSettings();
    configurePortAndOpen();
}

void Tavrel::CalibrateButton_Click() {
    MSComm1->close();
    portAwayReason_ = "handed to the calibration dialog";
    updatePortStatus();
    windows_->calibrate(this, services_.makePort());
    portAwayReason_.clear();
    LoadSettings();
    // The port reopens as it was: a number changed in prog.cfg by hand takes
    // effect at the next start or Program Setup.
    if (portNumberSet_)
        MSComm1->open();
    updatePortStatus();
}

void Tavrel::ShowLogs_Click() {
    windows_->showLogs(this);
}

void Tavrel::Exit_Click() {
    MSComm1->close();
    close();
}

void Tavrel::MSComm1_OnComm() {
    ReceiveBuffer.append(MSComm1->readInput());
    MSComm1->discardInput();
    while (auto packet = ReceiveBuffer.next())
        ProcessPacket(*packet);
}

void Tavrel::ProcessPacket(const std::string& packet) {
    lightLamp(BlinkData);
    lastHeardMs_ = services_.clock->utcMs();
    LiveReading = decodePacket(packet, calibration_, services_.numberFormat, LiveReading);
    if (Timer1.isActive())
        raisePeaks(IntervalPeaks, LiveReading);
    RefreshReadingsList();
    if (readingsStale_)
        updatePortStatus();
    txtMode->setText(fromLocal8(liveModeText(LiveReading.mode)));
    const QString caption = fromLocal8(liveCaption(LiveReading, services_.numberFormat));
    if (windowTitle() != caption)
        setWindowTitle(caption);
    if (!services_.sinks.empty()) {
        const LiveTime when = liveTime();
        for (LiveSink* sink : services_.sinks)
            sink->packetDecoded(LiveReading, when);
        updateBanner();
    }
}

void Tavrel::lightLamp(QPushButton* lamp) {
    // Enabling a running lamp timer does not restart it: the lamps go out
    // 250 ms after the first event, so a steady stream still blinks.
    if (!Timer2.isActive())
        Timer2.start();
    setLampColour(lamp, kLampRed);
}

void Tavrel::Timer1_Timer() {
    lightLamp(BlinkLog);
    const TickInputs in{IntervalPeaks,
                        LiveReading.mode,
                        WattHours,
                        isSwitchOn(ProgramConfig.Savehtml, services_.numberFormat),
                        isSwitchOn(ProgramConfig.SaveExcel, services_.numberFormat),
                        ProgramConfig.WSUnits};
    lastTick_ = writeLoggingTick(logWriter_, services_.appFolder, in, *services_.clock,
                                 *services_.timeFormats, services_.numberFormat);
    updateLogStatus();
    if (!services_.sinks.empty()) {
        const LiveTime when = liveTime();
        const LoggedRecord record{IntervalPeaks, LiveReading.mode, when.local.hour,
                                  when.local.minute, when.day};
        for (LiveSink* sink : services_.sinks)
            sink->recordLogged(record, when);
        updateSinkStatus();
    }
    reportLogBacklog();
    IntervalPeaks = {};
}

void Tavrel::Timer2_Timer() {
    const QColor face = QPalette().color(QPalette::Button);
    setLampColour(BlinkData, face);
    setLampColour(BlinkLog, face);
    Timer2.stop();
}

void Tavrel::Timer3_Timer() {
    const LocalDateTime now = services_.clock->now();
    const double before = WattHours;
    WattHours = energyTick(WattHours, LiveReading.watts, now, lastEnergyTick_);
    lastEnergyTick_ = now;
    updatePortStatus();
    if (!services_.sinks.empty()) {
        // What the tick changed the day's total by, so the sinks' sums of a
        // day always come to that day's total, even when a restart in the
        // first seconds after midnight takes back an earlier share.
        const LiveTime when = liveTime();
        const double added = when.day == energyDay_ ? WattHours - before : WattHours;
        for (LiveSink* sink : services_.sinks)
            sink->energyAdded(added, WattHours, when);
        updateSinkStatus();
    }
    energyDay_ = dayKey(now);
    // Held records go out as soon as their file can take them, even while
    // logging is stopped.
    if (logWriter_.held() > 0) {
        logWriter_.retry();
        updateLogStatus();
        reportLogBacklog();
    }
}

} // namespace korvane
