// The main window's status lines and its live sinks: where the port leads
// and why it is not open, what logging cannot write, and what the sinks
// (store, alarms, publishing) have to say.

#include "tavrel.h"

#include "platform/qt/qt_platform.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTreeWidget>
#include <algorithm>

namespace korvane {

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

} // namespace korvane
