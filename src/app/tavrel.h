#pragma once
// The main window: a view over the station (the live core), with the readings
// list, the lamps, the logging controls, the status lines and the buttons to
// the other windows.

#include "alarms/battery_line.h"
#include "app/child_windows.h"
#include "monitor/live_display.h"
#include "platform/messages.h"
#include "station/station.h"

#include <QColor>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace korvane {

// The colour of readings not refreshed for a while.
inline const QColor kStaleGrey{150, 150, 150};

// A button in the main window's column that opens a window of its own (the
// port stays open behind it, like the history window's).
struct WindowButton {
    QString caption;
    QString objectName;
    std::function<void(QWidget* owner)> open;
};

struct TavrelServices {
    // What the station needs, when the window builds its own (see below).
    std::string appFolder;
    SerialPortFactory makePort; // MSComm1 and, per calibration, MSComm2
    const Clock* clock = nullptr;
    const TimeFormats* timeFormats = nullptr;
    NumberFormat numberFormat;
    std::vector<LiveSink*> sinks;
    std::function<double(const std::string& day)> energySoFar;

    MessageSink* messages = nullptr; // null: message boxes on this window
    ChildWindows* windows = nullptr; // null: the program's own dialogs
    // Buttons below "Show Logs", in this order.
    std::vector<WindowButton> windowButtons;
    // The levels of the battery line under the readings (alarms.cfg);
    // null: the defaults for a 12 V lead-acid bank.
    std::function<BatteryLevels()> batteryLevels;
    // Where the web dashboard answers (empty while it does not); null: none.
    std::function<std::vector<std::string>()> webAddresses;
};

class Tavrel : public QWidget {
    Q_OBJECT
public:
    // A window over a station of its own, built from `services`.
    explicit Tavrel(TavrelServices services, QWidget* parent = nullptr);
    // A window over `station` (not started yet, not owned); the station
    // fields of `services` are not used: the station has its own.
    Tavrel(Station& station, TavrelServices services, QWidget* parent = nullptr);
    ~Tavrel() override;

    Station& station() { return *station_; }
    const Reading& liveReading() const { return station_->liveReading(); }
    const korvane::IntervalPeaks& intervalPeaks() const { return station_->intervalPeaks(); }
    double wattHours() const { return station_->wattHours(); }
    const korvane::ProgramConfig& programConfig() const { return station_->programConfig(); }
    SerialPort& serialPort() { return station_->serialPort(); }

protected:
    void closeEvent(QCloseEvent* event) override;

public slots:
    void Setup_Click();
    void CalibrateButton_Click();
    void ShowLogs_Click();
    void Exit_Click();
    void StartLogging_Click();
    void StopLogging_Click();
    void Timer2_Timer(); // lamp reset

private:
    void init();
    const NumberFormat& numberFormat() const { return station_->services().numberFormat; }
    void buildControls();
    void Form_Load();
    void LoadSettings();
    void BuildReadingsList();
    void RefreshReadingsList();
    void showPacket();
    void showRecord();
    void showLogging(bool running);
    void showRows(const std::vector<ReadingRow>& rows);
    void showBattery();
    void lightLamp(QPushButton* lamp, bool& lit);
    static void setLampColour(QPushButton* lamp, const QColor& colour);
    void updatePortStatus();
    void showStaleReadings(bool stale);
    void updateLogStatus();
    void updateSinkStatus();

    TavrelServices services_;
    Station* station_ = nullptr;
    std::unique_ptr<MessageSink> ownMessages_;
    std::unique_ptr<ChildWindows> ownWindows_;
    MessageSink* messages_ = nullptr;
    ChildWindows* windows_ = nullptr;

    // Controls, named as the users' documentation names them.
    QPushButton* Setup = nullptr;
    QPushButton* CalibrateButton = nullptr;
    QPushButton* ShowLogs = nullptr;
    QPushButton* Exit = nullptr;
    QPushButton* StartLogging = nullptr;
    QPushButton* StopLogging = nullptr;
    QLineEdit* delay = nullptr;
    QPushButton* BlinkData = nullptr;
    QPushButton* BlinkLog = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QLabel* txtMode = nullptr;
    QLabel* BatteryState = nullptr;   // the battery in plain words, after the first packet
    QWidget* batteryStrip_ = nullptr; // holds BatteryState
    QColor batteryColour_;            // its text colour (asking the palette costs)
    QLabel* WebAddress = nullptr;     // where the dashboard answers, when it runs
    QLabel* PortStatus = nullptr;
    QLabel* LogStatus = nullptr;
    QLabel* SinkStatus = nullptr;  // one line per live sink with something to say
    QLabel* AlarmBanner = nullptr; // the sinks' banner lines, red, hidden when empty
    QTimer Timer2;
    // Whether each lamp is red now, so a steady stream of packets does not
    // repaint a lamp that is already lit.
    bool dataLampLit_ = false;
    bool logLampLit_ = false;
    bool readingsStale_ = false;
    ReadingsLayout layout_;
};

} // namespace korvane
