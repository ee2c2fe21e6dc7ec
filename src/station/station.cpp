#include "station.h"

#include "config/settings_files.h"
#include "monitor/energy.h"

namespace korvane {

namespace {

constexpr const char* kLineSettings = "4800,N,8,1";

} // namespace

Station::Station(StationServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)), logWriter_(services_.appFolder) {
    setObjectName("Station");
    MSComm1 = services_.makePort();
    if (auto* object = dynamic_cast<QObject*>(MSComm1.get()))
        object->setObjectName("MSComm1");
    MSComm1->setCommEventHandler([this] { MSComm1_OnComm(); });

    Timer1.setObjectName("Timer1");
    Timer1.setParent(this);
    Timer1.setInterval(1000);
    // Coarse timers drift to whole seconds; 10.5 s must mean 10.5 s.
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer3.setObjectName("Timer3");
    Timer3.setParent(this);
    Timer3.setInterval(kEnergyTickMs);
    connect(&Timer1, &QTimer::timeout, this, &Station::Timer1_Timer);
    connect(&Timer3, &QTimer::timeout, this, &Station::Timer3_Timer);
}

Station::~Station() {
    // The port's event handler points back here; silence it before we go.
    MSComm1->setCommEventHandler(nullptr);
    MSComm1->close();
    shutDown();
}

void Station::start() {
    LiveReading = {};
    WattHours = 0;
    // The day's energy so far survives a restart: it carries on from what
    // the history store counted before.
    energyDay_ = dayKey(services_.clock->now());
    lastHeardMono_ = services_.clock->monotonicMs();
    if (services_.energySoFar)
        WattHours = services_.energySoFar(energyDay_);
    LoadSettings();
    configurePortAndOpen();
    if (isSwitchOn(ProgramConfig.LogOn, services_.numberFormat))
        startLogging(ProgramConfig.LogDelay);
    Timer3.start();
    if (!services_.sinks.empty()) {
        const LiveTime when = liveTime();
        for (LiveSink* sink : services_.sinks)
            sink->started(WattHours, when);
        emit sinkLinesChanged();
    }
}

void Station::LoadSettings() {
    ProgramConfig = loadProgramConfig(services_.appFolder);
    CalibrationConfig = loadCalibrationConfig(services_.appFolder);
    calibration_ = toCalibration(CalibrationConfig, services_.numberFormat);
    emit settingsLoaded();
}

void Station::configurePortAndOpen() {
    const auto number = parseNumber(ProgramConfig.Port, services_.numberFormat);
    portNumberSet_ = number && toInt16(*number) >= 1;
    if (portNumberSet_) {
        MSComm1->setPortNumber(toInt16(*number));
        MSComm1->setSettings(kLineSettings);
        MSComm1->setInputLength(0);
        MSComm1->open();
    }
    updatePortState();
}

void Station::reloadSettings() {
    const bool wasSet = portNumberSet_;
    const int wasNumber = MSComm1->portNumber();
    LoadSettings();
    const auto number = parseNumber(ProgramConfig.Port, services_.numberFormat);
    const bool set = number && toInt16(*number) >= 1;
    if (set == wasSet && (!set || toInt16(*number) == wasNumber)) {
        updatePortState();
        return;
    }
    MSComm1->close();
    configurePortAndOpen();
}

std::optional<LoggingInterval> Station::startLogging(const std::string& delayText) {
    auto interval = checkLoggingInterval(delayText, services_.numberFormat);
    if (!interval)
        return interval;
    loggingDelayText_ = interval->delayText;
    Timer1.setInterval(interval->periodMs);
    Timer1.start();
    emit loggingChanged(true);
    return interval;
}

void Station::stopLogging() {
    Timer1.stop();
    emit loggingChanged(false);
}

void Station::releasePort(std::string reason) {
    MSComm1->close();
    portAwayReason_ = std::move(reason);
    updatePortState();
}

void Station::reclaimPort(bool reconfigure) {
    portAwayReason_.clear();
    if (reconfigure) {
        configurePortAndOpen();
        return;
    }
    // The port reopens as it was: a number changed in prog.cfg by hand takes
    // effect at the next start or Program Setup.
    if (portNumberSet_)
        MSComm1->open();
    updatePortState();
}

void Station::MSComm1_OnComm() {
    ReceiveBuffer.append(MSComm1->readInput());
    MSComm1->discardInput();
    while (auto packet = ReceiveBuffer.next())
        ProcessPacket(*packet);
}

void Station::ProcessPacket(const std::string& packet) {
    lastHeardMono_ = services_.clock->monotonicMs();
    lastPacketUtcMs_ = services_.clock->utcMs();
    LiveReading = decodePacket(packet, calibration_, services_.numberFormat, LiveReading);
    if (Timer1.isActive())
        raisePeaks(IntervalPeaks, LiveReading);
    if (portState_.stale)
        updatePortState();
    emit packetDecoded();
    if (!services_.sinks.empty()) {
        const LiveTime when = liveTime();
        for (LiveSink* sink : services_.sinks)
            sink->packetDecoded(LiveReading, when);
        emit sinkLinesChanged();
    }
}

void Station::Timer1_Timer() {
    const TickInputs in{IntervalPeaks,
                        LiveReading.mode,
                        WattHours,
                        isSwitchOn(ProgramConfig.Savehtml, services_.numberFormat),
                        isSwitchOn(ProgramConfig.SaveExcel, services_.numberFormat),
                        ProgramConfig.WSUnits};
    lastTick_ = writeLoggingTick(logWriter_, services_.appFolder, in, *services_.clock,
                                 *services_.timeFormats, services_.numberFormat);
    emit recordLogged();
    emit logStatusChanged();
    if (!services_.sinks.empty()) {
        const LiveTime when = liveTime();
        const LoggedRecord record{IntervalPeaks, LiveReading.mode, when.local.hour,
                                  when.local.minute, when.day};
        for (LiveSink* sink : services_.sinks)
            sink->recordLogged(record, when);
        emit sinkLinesChanged();
    }
    tellLogBacklog();
    IntervalPeaks = {};
}

void Station::Timer3_Timer() {
    const LocalDateTime now = services_.clock->now();
    const double before = WattHours;
    WattHours = energyTick(WattHours, LiveReading.watts, now, lastEnergyTick_);
    lastEnergyTick_ = now;
    updatePortState();
    emit energyChanged();
    if (!services_.sinks.empty()) {
        // What the tick changed the day's total by, so the sinks' sums of a
        // day always come to that day's total, even when a restart in the
        // first seconds after midnight takes back an earlier share.
        const LiveTime when = liveTime();
        const double added = when.day == energyDay_ ? WattHours - before : WattHours;
        for (LiveSink* sink : services_.sinks)
            sink->energyAdded(added, WattHours, when);
        emit sinkLinesChanged();
    }
    energyDay_ = dayKey(now);
    // Held records go out as soon as their file can take them, even while
    // logging is stopped.
    if (logWriter_.held() > 0) {
        logWriter_.retry();
        emit logStatusChanged();
        tellLogBacklog();
    }
}

void Station::shutDown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    if (logWriter_.held() > 0) {
        logWriter_.retry();
        tellLogBacklog();
    }
    if (services_.sinks.empty())
        return;
    const LiveTime when = liveTime();
    for (LiveSink* sink : services_.sinks)
        sink->exiting(when);
}

LiveTime Station::liveTime() const {
    LiveTime when;
    when.local = services_.clock->now();
    when.utcMs = services_.clock->utcMs();
    when.day = dayKey(when.local);
    return when;
}

} // namespace korvane
