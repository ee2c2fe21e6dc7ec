#pragma once
// The live core of Korvane, with or without a window: the serial link to the
// board and its reconnect, framing and decoding, the live values, the energy
// total, the logging tick with its files, the port and log status, and the
// live sinks (store, alarms, publishing, web).  Qt Core only, so the desktop
// window and the headless service run the very same monitoring.
//
// Everything runs on the thread that owns the station, one event at a time.
// Views follow it through the signals below, which come after the station's
// own steps for an event and before the sinks hear of it.

#include "config/calibration_config.h"
#include "config/program_config.h"
#include "monitor/live_sink.h"
#include "monitor/packet_decoder.h"
#include "monitor/packet_framer.h"
#include "platform/clock.h"
#include "platform/numbers.h"
#include "platform/serial_port.h"
#include "platform/time_formats.h"
#include "recording/log_record.h"
#include "recording/logging_control.h"
#include "recording/logging_tick.h"

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

struct StationServices {
    std::string appFolder;
    SerialPortFactory makePort; // MSComm1 and, per calibration, the dialog's own
    const Clock* clock = nullptr;
    const TimeFormats* timeFormats = nullptr;
    NumberFormat numberFormat;
    // Parts that follow the live data, told of the start, every packet,
    // energy tick, log record and the exit (not owned).
    std::vector<LiveSink*> sinks;
    // The watt-hours already counted for a day (its key), so a restart
    // carries on the day's total; null: the total starts from 0.
    std::function<double(const std::string& day)> energySoFar;
};

// Where port 1 (or n) leads and how it is doing, for a status line.
struct PortState {
    std::string text; // "Port 1: /k/com1 (open)", or why not
    bool open = false;
    bool stale = false; // open or not, nothing heard for kSilentSeconds
    bool operator==(const PortState&) const = default;
};

class Station : public QObject {
    Q_OBJECT
public:
    // After this long without a packet the values count as stale.
    static constexpr int kSilentSeconds = 10;

    explicit Station(StationServices services, QObject* parent = nullptr);
    ~Station() override;

    // The start-up steps: live values and energy from zero (or the day's
    // stored energy), settings read, the port opened, logging started when
    // LogOn says so, the energy timer running, the sinks told.
    void start();

    const Reading& liveReading() const { return LiveReading; }
    const korvane::IntervalPeaks& intervalPeaks() const { return IntervalPeaks; }
    double wattHours() const { return WattHours; }
    const korvane::ProgramConfig& programConfig() const { return ProgramConfig; }
    const korvane::CalibrationConfig& calibrationConfig() const { return CalibrationConfig; }
    const StationServices& services() const { return services_; }
    SerialPort& serialPort() { return *MSComm1; }
    bool logging() const { return Timer1.isActive(); }
    // The period of the running (or last) logging interval, in ms, and its
    // text as checked and clamped ("600" for 700).
    int loggingPeriodMs() const { return Timer1.interval(); }
    const std::string& loggingDelayText() const { return loggingDelayText_; }
    // When the last packet was decoded (UTC ms; 0 before the first).
    std::int64_t lastPacketUtcMs() const { return lastPacketUtcMs_; }

    // Reads prog.cfg and settings.cfg again (as after a settings dialog).
    void LoadSettings();
    // Sets the port number from Port, the line settings and the read size,
    // then opens the port.  A Port that is not a number, or below 1, opens
    // nothing and the status says why.
    void configurePortAndOpen();

    // Settings changed on disk while the station runs (the service's
    // SIGHUP): read again, and the port reopened only when its number
    // changed, so a reload never drops a packet for nothing.
    void reloadSettings();

    // Starts logging at the interval in `delayText` (checked and clamped as
    // the interval box is); nothing when the text is not a number.  Peaks
    // are left as they are: the caller decides (Start resets them, the
    // automatic start finds them at zero).
    std::optional<LoggingInterval> startLogging(const std::string& delayText);
    void resetPeaks() { IntervalPeaks = {}; }
    void stopLogging();

    // The port leaves for a dialog (closed, with the reason shown), and comes
    // back: `reconfigure` sets number and line settings again from Port.
    void releasePort(std::string reason);
    void reclaimPort(bool reconfigure);

    PortState portState() const { return portState_; }
    std::string logStatusText() const;
    // Each sink's non-empty status line, and each banner line.
    std::vector<std::string> sinkStatusLines() const;
    std::vector<std::string> bannerLines() const;

    // Held records go out once more and the sinks finish what is unfinished;
    // called once, on the way out (later calls do nothing).
    void shutDown();

    // When the event happened, as the sinks are told.
    LiveTime liveTime() const;

public slots:
    // A sink changed its status or banner line outside an event the station
    // told it of.
    void refreshSinkLines() { emit sinkLinesChanged(); }
    void MSComm1_OnComm();
    void Timer1_Timer(); // logging tick
    void Timer3_Timer(); // energy

signals:
    void settingsLoaded();
    void loggingChanged(bool running);
    void packetDecoded();
    void energyChanged();
    void recordLogged();
    void portStateChanged();
    void logStatusChanged();
    void sinkLinesChanged();

private:
    void ProcessPacket(const std::string& packet);
    void updatePortState();
    void tellLogBacklog();

    StationServices services_;
    std::unique_ptr<SerialPort> MSComm1;
    QTimer Timer1;
    QTimer Timer3;
    bool portNumberSet_ = false;
    std::string portAwayReason_;     // why the port is closed while a dialog has it
    std::int64_t lastHeardMono_ = 0; // monotonic ms of the last packet, or of the port opening
    std::int64_t lastPacketUtcMs_ = 0;
    bool portSeenOpen_ = false;
    PortState portState_;
    std::string loggingDelayText_;

    Reading LiveReading;
    korvane::IntervalPeaks IntervalPeaks;
    double WattHours = 0;
    std::optional<LocalDateTime> lastEnergyTick_;
    std::string energyDay_; // the day key WattHours counts
    bool shutDown_ = false;
    std::size_t reportedBacklog_ = 0;
    korvane::ProgramConfig ProgramConfig;
    korvane::CalibrationConfig CalibrationConfig;
    Calibration calibration_;
    PacketFramer ReceiveBuffer;
    LogWriter logWriter_;
    TickResult lastTick_;
};

} // namespace korvane
