#pragma once
// The main window: owns the serial link to the board, the live values, the
// energy total, the logging timer and the buttons to the other windows.

#include "app/child_windows.h"
#include "config/calibration_config.h"
#include "config/program_config.h"
#include "monitor/live_display.h"
#include "monitor/live_sink.h"
#include "monitor/packet_decoder.h"
#include "monitor/packet_framer.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/serial_port.h"
#include "platform/time_formats.h"
#include "recording/log_record.h"
#include "recording/logging_tick.h"

#include <QColor>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
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
    std::string appFolder;
    SerialPortFactory makePort; // MSComm1 and, per calibration, MSComm2
    const Clock* clock = nullptr;
    const TimeFormats* timeFormats = nullptr;
    NumberFormat numberFormat;
    MessageSink* messages = nullptr; // null: message boxes on this window
    ChildWindows* windows = nullptr; // null: the program's own dialogs
    // Parts that follow the live data, told of every packet, energy tick,
    // log record and the exit (not owned).
    std::vector<LiveSink*> sinks;
    // The watt-hours already counted for a day (its key), so a restart
    // carries on the day's total; null: the total starts from 0.
    std::function<double(const std::string& day)> energySoFar;
    // Buttons below "Show Logs", in this order.
    std::vector<WindowButton> windowButtons;
};

class Tavrel : public QWidget {
    Q_OBJECT
public:
    explicit Tavrel(TavrelServices services, QWidget* parent = nullptr);
    ~Tavrel() override;

protected:
    void closeEvent(QCloseEvent* event) override;

public:
    const Reading& liveReading() const { return LiveReading; }
    const korvane::IntervalPeaks& intervalPeaks() const { return IntervalPeaks; }
    double wattHours() const { return WattHours; }
    const korvane::ProgramConfig& programConfig() const { return ProgramConfig; }
    SerialPort& serialPort() { return *MSComm1; }

public slots:
    // Re-reads the sinks' status and banner lines (a sink changed them
    // outside an event the window told it of).
    void refreshSinkLines() { updateSinkStatus(); }
    void Setup_Click();
    void CalibrateButton_Click();
    void ShowLogs_Click();
    void Exit_Click();
    void StartLogging_Click();
    void StopLogging_Click();
    void MSComm1_OnComm();
    void Timer1_Timer(); // logging tick
    void Timer2_Timer(); // lamp reset
    void Timer3_Timer(); // energy

private:
    void buildControls();
    void Form_Load();
    void LoadSettings();
    void BuildReadingsList();
    void RefreshReadingsList();
    void ProcessPacket(const std::string& packet);
    void configurePortAndOpen();
    void startLogging(const std::string& delayText, bool reportErrors);
    void showRows(const std::vector<ReadingRow>& rows);
    void lightLamp(QPushButton* lamp);
    static void setLampColour(QPushButton* lamp, const QColor& colour);
    void updatePortStatus();
    void showStaleReadings(bool stale);
    void updateLogStatus();
    void updateSinkStatus();
    void updateBanner();
    void reportLogBacklog();
    LiveTime liveTime() const;
    void tellSinksExiting();

    TavrelServices services_;
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
    QLabel* PortStatus = nullptr;
    QLabel* LogStatus = nullptr;
    QLabel* SinkStatus = nullptr;  // one line per live sink with something to say
    QLabel* AlarmBanner = nullptr; // the sinks' banner lines, red, hidden when empty
    QTimer Timer1;
    QTimer Timer2;
    QTimer Timer3;
    std::unique_ptr<SerialPort> MSComm1;
    bool portNumberSet_ = false;
    QString portAwayReason_; // why the port is closed while a dialog is open
    // After this long without a packet the values are shown as stale.
    static constexpr int kSilentSeconds = 10;
    std::int64_t lastHeardMs_ = 0; // UTC ms of the last packet, or of the port opening
    bool portSeenOpen_ = false;
    bool readingsStale_ = false;

    // Live state.
    Reading LiveReading;
    korvane::IntervalPeaks IntervalPeaks;
    double WattHours = 0;
    std::optional<LocalDateTime> lastEnergyTick_;
    std::string energyDay_;  // the day key WattHours counts
    bool sinksTold_ = false; // the sinks have been told of the exit
    std::size_t reportedBacklog_ = 0;
    korvane::ProgramConfig ProgramConfig;
    korvane::CalibrationConfig CalibrationConfig;
    Calibration calibration_;
    ReadingsLayout layout_;
    PacketFramer ReceiveBuffer;
    LogWriter logWriter_;
    TickResult lastTick_;
};

} // namespace korvane
