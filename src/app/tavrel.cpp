#include "tavrel.h"

#include "app/dialog_windows.h"
#include "platform/qt/qt_platform.h"
#include "platform/ui/message_box.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

namespace korvane {

namespace {

const QColor kLampRed(255, 0, 0);

StationServices stationServices(const TavrelServices& s) {
    return {s.appFolder,    s.makePort, s.clock,      s.timeFormats,
            s.numberFormat, s.sinks,    s.energySoFar};
}

} // namespace

Tavrel::Tavrel(TavrelServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
    // Owned as a child, so findChild reaches its timers as it reaches ours.
    station_ = new Station(stationServices(services_), this);
    init();
}

Tavrel::Tavrel(Station& station, TavrelServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)), station_(&station) {
    init();
}

void Tavrel::init() {
    setObjectName("Tavrel");
    if (services_.messages == nullptr)
        ownMessages_ = std::make_unique<QtMessageSink>(this);
    messages_ = services_.messages ? services_.messages : ownMessages_.get();
    if (services_.windows == nullptr)
        ownWindows_ = std::make_unique<DialogWindows>(
            station_->services().appFolder, *station_->services().clock,
            *station_->services().timeFormats, numberFormat(), *messages_);
    windows_ = services_.windows ? services_.windows : ownWindows_.get();

    buildControls();
    connect(station_, &Station::settingsLoaded, this, &Tavrel::LoadSettings);
    connect(station_, &Station::loggingChanged, this, &Tavrel::showLogging);
    connect(station_, &Station::packetDecoded, this, &Tavrel::showPacket);
    connect(station_, &Station::recordLogged, this, &Tavrel::showRecord);
    connect(station_, &Station::portStateChanged, this, &Tavrel::updatePortStatus);
    connect(station_, &Station::logStatusChanged, this, &Tavrel::updateLogStatus);
    connect(station_, &Station::sinkLinesChanged, this, &Tavrel::updateSinkStatus);
    Form_Load();
}

Tavrel::~Tavrel() {
    station_->shutDown();
}

void Tavrel::setLampColour(QPushButton* lamp, const QColor& colour) {
    // A palette change repaints the button: none when it shows the colour.
    if (lamp->palette().color(QPalette::Button) == colour)
        return;
    QPalette p = lamp->palette();
    p.setColor(QPalette::Button, colour);
    p.setColor(QPalette::Window, colour);
    lamp->setPalette(p);
}

void Tavrel::Form_Load() {
    setWindowTitle(kWaitingCaption);
    StopLogging->setEnabled(false);
    // The station reads the settings (the window follows through
    // settingsLoaded), opens the port and starts logging when LogOn says so.
    station_->start();
    updatePortStatus();
}

// The station has read prog.cfg and settings.cfg: the interval box and the
// readings list follow them.
void Tavrel::LoadSettings() {
    delay->setText(fromLocal8(station_->programConfig().LogDelay));
    BuildReadingsList();
}

void Tavrel::BuildReadingsList() {
    layout_ = readingsLayout(station_->programConfig(), numberFormat());
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
    showRows(readingRows(layout_, station_->liveReading(), station_->wattHours(), numberFormat()));
}

void Tavrel::showRows(const std::vector<ReadingRow>& rows) {
    // The rows are rewritten in place when their number has not changed: the
    // same picture as removing and adding them, without the relayout cost on
    // every packet; a cell whose text stays is not touched, so not repainted.
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

void Tavrel::StartLogging_Click() {
    if (!station_->startLogging(toLocal8(delay->text())))
        messages_->showMessage(kInvalidDelayMessage);
    else
        station_->resetPeaks();
}

void Tavrel::StopLogging_Click() {
    station_->stopLogging();
}

// Logging started (with the interval text as checked and clamped) or
// stopped: the controls follow.
void Tavrel::showLogging(bool running) {
    if (running)
        delay->setText(fromLocal8(station_->loggingDelayText()));
    delay->setEnabled(!running);
    StartLogging->setEnabled(!running);
    StopLogging->setEnabled(running);
}

void Tavrel::Setup_Click() {
    station_->releasePort("closed while Program Setup is open");
    windows_->programSetup(this);
    station_->LoadSettings();
    station_->reclaimPort(true);
}

void Tavrel::CalibrateButton_Click() {
    station_->releasePort("handed to the calibration dialog");
    windows_->calibrate(this, station_->services().makePort());
    station_->LoadSettings();
    station_->reclaimPort(false);
}

void Tavrel::ShowLogs_Click() {
    windows_->showLogs(this);
}

void Tavrel::Exit_Click() {
    station_->serialPort().close();
    close();
}

// After the station decoded a packet: the data lamp, the list, the mode
// label and the caption.
void Tavrel::showPacket() {
    lightLamp(BlinkData, dataLampLit_);
    const Reading& live = station_->liveReading();
    RefreshReadingsList();
    const QString mode = fromLocal8(liveModeText(live.mode));
    if (txtMode->text() != mode)
        txtMode->setText(mode);
    const QString caption = fromLocal8(liveCaption(live, numberFormat()));
    if (windowTitle() != caption)
        setWindowTitle(caption);
    showBattery();
}

void Tavrel::showBattery() {
    const Reading& live = station_->liveReading();
    const BatteryLevels levels =
        services_.batteryLevels ? services_.batteryLevels() : BatteryLevels{};
    const BatteryLine line = batteryLine(live.volts, live.amps, levels, numberFormat());
    QColor colour(150, 255, 150);
    switch (line.tone) {
    case BatteryTone::Low:
        colour = QColor(255, 150, 140);
        break;
    case BatteryTone::Fair:
        colour = QColor(255, 225, 120);
        break;
    case BatteryTone::NearlyFull:
        colour = QColor(150, 220, 255);
        break;
    case BatteryTone::Good:
        break;
    }
    if (readingsStale_)
        colour = QColor(170, 170, 170);
    // Light text on a dark strip: readable on the window's mid grey, where a
    // coloured text alone would not be.  Only what changed is set, so most
    // packets repaint the text and nothing else.
    if (batteryColour_ != colour) {
        batteryColour_ = colour;
        QPalette p = BatteryState->palette();
        p.setColor(QPalette::WindowText, colour);
        BatteryState->setPalette(p);
    }
    const QString text = fromLocal8(line.text);
    if (BatteryState->text() != text)
        BatteryState->setText(text);
    if (batteryStrip_->isHidden())
        batteryStrip_->show();
}

void Tavrel::showRecord() {
    lightLamp(BlinkLog, logLampLit_);
}

void Tavrel::lightLamp(QPushButton* lamp, bool& lit) {
    // Enabling a running lamp timer does not restart it: the lamps go out
    // 250 ms after the first event, so a steady stream still blinks.
    if (!Timer2.isActive())
        Timer2.start();
    if (lit)
        return;
    lit = true;
    setLampColour(lamp, kLampRed);
}

void Tavrel::Timer2_Timer() {
    const QColor face = QPalette().color(QPalette::Button);
    setLampColour(BlinkData, face);
    setLampColour(BlinkLog, face);
    dataLampLit_ = false;
    logLampLit_ = false;
    Timer2.stop();
}

} // namespace korvane
