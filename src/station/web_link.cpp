#include "web_link.h"

#include "platform/numbers.h"
#include "station/station.h"
#include "web/web_config.h"

#include <QString>

namespace korvane {

WebLink::WebLink(std::string appFolder, std::string dbPath,
                 std::function<std::optional<double>()> outputIndex, QObject* parent)
    : QObject(parent), appFolder_(std::move(appFolder)), dbPath_(std::move(dbPath)),
      outputIndex_(std::move(outputIndex)) {}

WebLink::~WebLink() {
    server_.stop();
}

void WebLink::attach(Station& station) {
    station_ = &station;
    // Every change the page shows: a packet, the energy tick (which also
    // ages the data), the port line and the alarm banner.
    for (auto signal :
         {&Station::packetDecoded, &Station::energyChanged, &Station::portStateChanged,
          &Station::sinkLinesChanged, &Station::settingsLoaded})
        connect(&station, signal, this, &WebLink::publish);
    publish();
}

void WebLink::reload() {
    std::string problem;
    const WebSettings settings = webSettings(loadWebConfig(appFolder_), &problem);
    if (settings != running_ || !server_.running()) {
        const std::string failed = server_.start(settings, appFolder_, dbPath_, board_);
        running_ = settings;
        if (!failed.empty())
            problem = "Web: " + failed;
    }
    if (problem.empty() && settings.enabled && !server_.running())
        problem = server_.statusText();
    if (problem != problem_) {
        problem_ = problem;
        emit statusChanged();
    }
    publish(); // the page is right from its first request
}

std::vector<std::string> WebLink::urls() const {
    return server_.running() ? server_.urls() : std::vector<std::string>{};
}

void WebLink::exiting(const LiveTime&) {
    server_.stop();
}

// The station's texts are 8-bit in the system code page; the page wants
// UTF-8.  The few texts a snapshot holds (the port line, the banner, the
// wind unit) rarely change, so each is converted once.
const std::string& WebLink::utf8(const std::string& local) {
    for (const auto& [from, to] : utf8Cache_)
        if (from == local)
            return to;
    if (utf8Cache_.size() >= 16)
        utf8Cache_.clear();
    const QByteArray bytes =
        QString::fromLocal8Bit(local.data(), static_cast<qsizetype>(local.size())).toUtf8();
    return utf8Cache_.emplace_back(local, bytes.toStdString()).second;
}

void WebLink::publish() {
    // Nobody can read the board while the server is off.
    if (station_ == nullptr || !server_.running())
        return;
    const Station& s = *station_;
    const Reading& live = s.liveReading();
    const NumberFormat fmt = s.services().numberFormat;
    LiveSnapshot snap;
    snap.hasData = s.lastPacketUtcMs() != 0;
    snap.volts = live.volts;
    snap.amps = live.amps;
    snap.watts = live.watts;
    snap.rpm = live.rpm;
    snap.wind = live.windSpeed;
    snap.mode = live.mode;
    snap.wattHoursToday = s.wattHours();
    const LiveTime now = s.liveTime();
    snap.dayKey = now.day;
    snap.lastPacketUtcMs = s.lastPacketUtcMs();
    snap.takenUtcMs = now.utcMs;
    snap.portState = utf8(s.portState().text);
    snap.portOpen = s.portState().open;
    for (const std::string& line : s.bannerLines())
        snap.alarms.push_back(utf8(line));
    const ProgramConfig& program = s.programConfig();
    snap.windUnits = utf8(program.WSUnits);
    snap.showRpm = isSwitchOn(program.DisplayRPM, fmt);
    snap.showWind = isSwitchOn(program.DisplayWS, fmt);
    if (outputIndex_)
        snap.outputIndex7d = outputIndex_();
    snap.version = KORVANE_VERSION;
    board_.publish(std::move(snap));
}

} // namespace korvane
