#include "tavrel.h"

#include "app/dialog_windows.h"
#include "config/settings_files.h"
#include "monitor/energy.h"
#include "platform/qt/qt_platform.h"
#include "recording/logging_control.h"
#include "recording/logging_tick.h"

#include <QCloseEvent>
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
const QColor kStaleGrey(150, 150, 150); // values not refreshed for a while

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

void Tavrel::closeEvent(QCloseEvent* event) {
    tellSinksExiting();
    QWidget::closeEvent(event);
}

void Tavrel::tellSinksExiting() {
    if (sinksTold_ || services_.sinks.empty())
        return;
    sinksTold_ = true;
    const LiveTime when = liveTime();
    for (LiveSink* sink : services_.sinks)
        sink->exiting(when);
}

LiveTime Tavrel::liveTime() const {
    LiveTime when;
    when.local = services_.clock->now();
    when.utcMs = services_.clock->utcMs();
    when.day = dayKey(when.local);
    return when;
}

namespace {

// Each sink's non-empty line, one per line, shown in `label` (hidden when
// there is none).
void showSinkLines(QLabel* label, const std::vector<LiveSink*>& sinks,
                   std::string (LiveSink::*line)() const) {
    std::string text;
    for (const LiveSink* sink : sinks) {
        const std::string part = (sink->*line)();
        if (part.empty())
            continue;
        if (!text.empty())
            text += '\n';
        text += part;
    }
    const QString shown = fromLocal8(text);
    if (label->text() == shown)
        return;
    label->setText(shown);
    label->setVisible(!shown.isEmpty());
}

} // namespace

void Tavrel::updateSinkStatus() {
    showSinkLines(SinkStatus, services_.sinks, &LiveSink::statusText);
    updateBanner();
}

void Tavrel::updateBanner() {
    showSinkLines(AlarmBanner, services_.sinks, &LiveSink::bannerText);
}

void Tavrel::reportLogBacklog() {
    if (logWriter_.held() == reportedBacklog_ || services_.sinks.empty())
        return;
    reportedBacklog_ = logWriter_.held();
    const LiveTime when = liveTime();
    for (LiveSink* sink : services_.sinks)
        sink->logBacklogChanged(reportedBacklog_, when);
    updateSinkStatus();
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

void Tavrel::updatePortStatus() {
    const std::int64_t nowMs = services_.clock->utcMs();
    // Silence counts from the last packet, or from the moment the port was
    // seen to open, whichever is later.
    const bool open = MSComm1->isOpen();
    if (open && !portSeenOpen_)
        lastHeardMs_ = std::max(lastHeardMs_, nowMs);
    portSeenOpen_ = open;
    const std::int64_t silentS = (nowMs - lastHeardMs_) / 1000;
    showStaleReadings(silentS >= kSilentSeconds);

    if (!portNumberSet_) {
        PortStatus->setText(QString("No serial port: \"%1\" is not a port number (Program Setup)")
                                .arg(fromLocal8(ProgramConfig.Port)));
        return;
    }
    const QString device = fromLocal8(portDevicePath(MSComm1->portNumber(), services_.appFolder));
    QString state;
    if (open && silentS >= kSilentSeconds)
        state = QString("open, nothing received for %1 s: check the board's power and wiring, and "
                        "that this is the right port")
                    .arg(silentS);
    else if (open)
        state = "open";
    else if (!portAwayReason_.isEmpty())
        state = portAwayReason_;
    else
        state = fromLocal8(portProblemText(MSComm1->problem()));
    const QString text =
        QString("Port %1: %2 (%3)").arg(MSComm1->portNumber()).arg(device).arg(state);
    if (PortStatus->text() != text)
        PortStatus->setText(text);
}

void Tavrel::showStaleReadings(bool stale) {
    if (stale == readingsStale_)
        return;
    readingsStale_ = stale;
    // Only the colour changes: texts, fonts and rows stay as they are.
    const QBrush brush = stale ? QBrush(kStaleGrey) : QBrush();
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i)
        ListView1->topLevelItem(i)->setForeground(1, brush);
}

void Tavrel::updateLogStatus() {
    const QString text = fromLocal8(loggingStatusText(logWriter_, lastTick_));
    if (LogStatus->text() != text)
        LogStatus->setText(text);
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
