#include "live_parts.h"

#include "platform/files.h"
#include "platform/qt/qt_serial_port.h"
#include "recording/log_record.h"
#include "station/station.h"
#include "store/alarm_events.h"
#include "trends/turbine_store.h"

namespace korvane {

LiveParts::LiveParts(LivePartsSetup setup)
    : setup_(std::move(setup)), dbPath_(joinPath(setup_.appFolder, "/korvane.db")) {
    const Clock& clock = *setup_.clock;
    indexSource_ = sevenDayOutputIndexSource(setup_.appFolder, clock);
    recorder_ = std::make_unique<MinuteRecorder>(dbPath_, clock.utcMs(), dayKey(clock.now()));
    storeSink_ = std::make_unique<StoreSink>(*recorder_);

    AlarmMonitorSetup alarmSetup;
    alarmSetup.appFolder = setup_.appFolder;
    alarmSetup.clock = setup_.clock;
    alarmSetup.numberFormat = setup_.numberFormat;
    // Alarms active when Korvane last stopped are active again at once,
    // without a second raise.
    alarmSetup.lastEvents = latestAlarmEvents(recorder_->store());
    alarmSetup.outputIndex = [this](const LiveTime&) { return indexSource_(); };
    alarms_ = std::make_unique<AlarmMonitor>(std::move(alarmSetup));

    // Off until mqtt.cfg turns it on.
    PublisherSetup publishSetup;
    publishSetup.appFolder = setup_.appFolder;
    publishSetup.clock = setup_.clock;
    publishSetup.numberFormat = setup_.numberFormat;
    publishSetup.outputIndex = [this] { return outputIndex(); };
    publisher_ = std::make_unique<Publisher>(std::move(publishSetup));
    publisher_->setActiveAlarms(alarms_->activeAlarms());

    web_ = std::make_unique<WebLink>(setup_.appFolder, dbPath_, [this] { return outputIndex(); });
    web_->reload();

    // Raises and clears go into the store beside the minutes, and out.
    alarms_->setEventRecorder([this](const AlarmEvent& e) {
        recorder_->alarmEvent({e.utcSeconds, e.name, e.change, e.value}, e.utcSeconds * 1000);
        publisher_->alarmEvent(e);
        if (setup_.onAlarmEvent)
            setup_.onAlarmEvent(e);
    });
}

LiveParts::~LiveParts() = default;

StationServices LiveParts::stationServices(const TimeFormats& timeFormats) {
    StationServices s;
    s.appFolder = setup_.appFolder;
    s.makePort = [folder = setup_.appFolder]() -> std::unique_ptr<SerialPort> {
        return std::make_unique<QtSerialPort>(folder);
    };
    s.clock = setup_.clock;
    s.timeFormats = &timeFormats;
    s.numberFormat = setup_.numberFormat;
    s.sinks = sinks();
    s.energySoFar = energySoFar();
    return s;
}

std::vector<LiveSink*> LiveParts::sinks() {
    return {storeSink_.get(), alarms_.get(), publisher_.get(), web_.get()};
}

std::function<double(const std::string& day)> LiveParts::energySoFar() {
    return [this](const std::string& day) { return recorder_->energyOfDay(day); };
}

void LiveParts::followedBy(Station& station) {
    QObject::connect(alarms_.get(), &AlarmMonitor::statusChanged, &station,
                     &Station::refreshSinkLines);
    QObject::connect(publisher_.get(), &Publisher::statusChanged, &station,
                     &Station::refreshSinkLines);
    QObject::connect(web_.get(), &WebLink::statusChanged, &station, &Station::refreshSinkLines);
    web_->attach(station);
}

void LiveParts::reloadAlarms() {
    alarms_->reload();
}

void LiveParts::reloadPublishing() {
    publisher_->reload();
}

std::vector<std::string> LiveParts::exitNotes() const {
    std::vector<std::string> notes;
    std::string store = recorder_->problem();
    if (store.empty())
        store = recorder_->notice();
    if (!store.empty())
        notes.push_back(std::move(store));
    if (!publisher_->exitNote().empty())
        notes.push_back(publisher_->exitNote());
    return notes;
}

void LiveParts::reloadWeb() {
    web_->reload();
}

std::optional<double> LiveParts::outputIndex() {
    const std::int64_t now = setup_.clock->monotonicMs();
    if (!indexKnown_ || now - indexAtMono_ >= 10 * 60 * 1000) {
        index_ = indexSource_();
        indexAtMono_ = now;
        indexKnown_ = true;
    }
    return index_;
}

} // namespace korvane
