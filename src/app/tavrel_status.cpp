// The main window's status lines: where the port leads and why it is not
// open, what logging cannot write, and what the sinks (store, alarms,
// publishing) have to say, all as the station reports them.

#include "tavrel.h"

#include "platform/qt/qt_platform.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTreeWidget>

namespace korvane {

void Tavrel::closeEvent(QCloseEvent* event) {
    station_->shutDown();
    QWidget::closeEvent(event);
}

namespace {

// The lines, one per line, in `label` (hidden when there is none).
void showLines(QLabel* label, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty())
            text += '\n';
        text += line;
    }
    const QString shown = fromLocal8(text);
    if (label->text() == shown)
        return;
    label->setText(shown);
    label->setVisible(!shown.isEmpty());
}

} // namespace

void Tavrel::updateSinkStatus() {
    showLines(SinkStatus, station_->sinkStatusLines());
    showLines(AlarmBanner, station_->bannerLines());
    if (services_.webAddresses) {
        std::string text;
        for (const std::string& url : services_.webAddresses())
            text += (text.empty() ? "Web dashboard: " : "  ") + url;
        const QString shown = QString::fromUtf8(text.c_str());
        if (WebAddress->text() != shown)
            WebAddress->setText(shown);
    }
}

void Tavrel::updatePortStatus() {
    const PortState state = station_->portState();
    showStaleReadings(state.stale);
    const QString text = fromLocal8(state.text);
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
    if (!batteryStrip_->isHidden())
        showBattery();
}

void Tavrel::updateLogStatus() {
    const QString text = fromLocal8(station_->logStatusText());
    if (LogStatus->text() != text)
        LogStatus->setText(text);
}

} // namespace korvane
