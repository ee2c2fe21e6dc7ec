#pragma once
// Everything that follows the live data in a running Korvane, built the same
// way by the window program and the service: the history store (korvane.db),
// the alarms, publishing and the web dashboard.  Owns them; the station is
// given sinks().

#include "alarms/qt/alarm_monitor.h"
#include "platform/clock.h"
#include "platform/numbers.h"
#include "publish/qt/publisher.h"
#include "station/station.h"
#include "station/store_sink.h"
#include "station/web_link.h"
#include "store/minute_recorder.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

struct LivePartsSetup {
    std::string appFolder;
    const Clock* clock = nullptr;
    NumberFormat numberFormat;
    // Told of every alarm raise and clear after the store and the publisher
    // (the service writes it to its log); may be null.
    std::function<void(const AlarmEvent&)> onAlarmEvent;
};

class LiveParts {
public:
    // Opens the store (its one full check per start happens here, before any
    // window shows) and reads alarms.cfg and mqtt.cfg.
    explicit LiveParts(LivePartsSetup setup);
    ~LiveParts();

    const std::string& dbPath() const { return dbPath_; }
    // What a station over these parts needs: the serial port as com<n> or
    // /dev/ttyS<n-1>, the clock, the sinks and the day's energy so far.
    StationServices stationServices(const TimeFormats& timeFormats);
    std::vector<LiveSink*> sinks();
    // The day's energy counted so far, for the station's start.
    std::function<double(const std::string& day)> energySoFar();
    // The sinks' lines changed outside an event: the station hears of it.
    void followedBy(Station& station);
    // Settings files changed on disk (a dialog saved, or SIGHUP).
    void reloadAlarms();
    void reloadPublishing();
    void reloadWeb();
    // After the sinks were told of the exit: what could not be stored as
    // usual and where it was kept instead (a pending file beside the store),
    // for standard error; empty when all went to the store.
    std::vector<std::string> exitNotes() const;
    // The turbine's 7-day output index, worked out at most every ten
    // minutes (it reads a week of minutes from the store).
    std::optional<double> outputIndex();

    MinuteRecorder& recorder() { return *recorder_; }
    StoreSink& storeSink() { return *storeSink_; }
    AlarmMonitor& alarms() { return *alarms_; }
    Publisher& publisher() { return *publisher_; }
    WebLink& web() { return *web_; }

private:
    LivePartsSetup setup_;
    std::string dbPath_;
    std::unique_ptr<MinuteRecorder> recorder_;
    std::unique_ptr<StoreSink> storeSink_;
    std::unique_ptr<AlarmMonitor> alarms_;
    std::unique_ptr<Publisher> publisher_;
    std::unique_ptr<WebLink> web_;
    std::function<std::optional<double>()> indexSource_;
    std::optional<double> index_;
    std::int64_t indexAtMono_ = 0;
    bool indexKnown_ = false;
};

} // namespace korvane
