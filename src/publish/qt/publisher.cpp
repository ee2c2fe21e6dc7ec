#include "publisher.h"

#include "config/settings_files.h"
#include "mqtt_client.h"
#include "platform/qt/qt_platform.h"
#include "recording/log_record.h"

#include <QSysInfo>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace korvane {

namespace {

std::int64_t steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

#ifndef KORVANE_VERSION
#define KORVANE_VERSION "0"
#endif

Publisher::Publisher(PublisherSetup setup, QObject* parent)
    : QObject(parent), appFolder_(std::move(setup.appFolder)), clock_(*setup.clock),
      fmt_(setup.numberFormat), hostName_(std::move(setup.hostName)),
      connectTimeoutMs_(setup.connectTimeoutMs), exitFlushMs_(setup.exitFlushMs),
      storage_(std::move(setup.outbox)), outputIndex_(std::move(setup.outputIndex)),
      waits_(setup.firstRetryMs, setup.maxRetryMs), client_(new MqttClient(this)),
      retry_(new QTimer(this)), housekeeping_(new QTimer(this)) {
    if (hostName_.empty())
        hostName_ = QSysInfo::machineHostName().toStdString();
    if (!storage_) {
        const LocalDateTime t = clock_.now();
        storage_ = makeStoreOutboxStorage(appFolder_ + "/korvane.db",
                                          t.year * 10000 + t.month * 100 + t.day);
    }
    retry_->setSingleShot(true);
    connect(retry_, &QTimer::timeout, this, [this] { tryConnect(); });
    // Acknowledged entries are deleted from the store in batches, and a
    // store that was out of reach is tried again, on this beat.
    housekeeping_->setInterval(1000);
    connect(housekeeping_, &QTimer::timeout, this, [this] {
        if (outbox_)
            outbox_->retryStorage();
    });
    connect(client_, &MqttClient::connected, this, [this] { onConnected(); });
    connect(client_, &MqttClient::failed, this,
            [this](const QString& reason, bool closed) { onFailed(reason.toStdString(), closed); });
    connect(client_, &MqttClient::published, this, [this](int mid) { onPublished(mid); });
    publishedEnergy_ = loadPublishedEnergy(appFolder_);
    load();
    if (settings_.enabled)
        start();
}

Publisher::~Publisher() = default;

void Publisher::load() {
    settings_ =
        mqttSettings(loadMqttConfig(appFolder_, hostName_), fmt_, hostName_, &configProblem_);
    // prog.cfg holds 8-bit text in the system code page; MQTT and JSON
    // carry UTF-8.
    windUnits_ = fromLocal8(loadProgramConfig(appFolder_).WSUnits).toUtf8().toStdString();
}

void Publisher::reload() {
    const MqttSettings before = settings_;
    const std::string windBefore = windUnits_;
    load();
    if (settings_ == before && windUnits_ == windBefore)
        return;
    // Entities announced earlier would linger in Home Assistant, unavailable,
    // unless their retained configs are emptied.
    if (before.enabled && before.discovery && !settings_.discovery &&
        before.topic == settings_.topic && before.discoveryPrefix == settings_.discoveryPrefix)
        withdrawDiscovery_ = true;
    stop(true);
    if (settings_.enabled)
        start();
    emit statusChanged();
}

void Publisher::start() {
    exited_ = false;
    if (!outbox_)
        outbox_ = std::make_unique<Outbox>(*storage_);
    housekeeping_->start();
    waits_.reset();
    lastError_.clear();
    tryConnect();
}

void Publisher::stop(bool sayOffline) {
    retry_->stop();
    if (client_->isConnected() && sayOffline)
        sayFarewell([] { return true; });
    client_->close();
    outboxInFlight_.clear();
    directInFlight_.clear();
    if (outbox_) {
        outbox_->connectionLost();
        outbox_->retryStorage();
    }
    lastError_.clear();
}

std::string Publisher::broker() const {
    return brokerName(settings_.host, settings_.port);
}

void Publisher::tryConnect() {
    if (!settings_.enabled || exited_)
        return;
    MqttConnectOptions o;
    o.host = settings_.host;
    o.port = settings_.port;
    o.user = settings_.user;
    o.password = settings_.password;
    o.tls = settings_.tls;
    o.caFile = settings_.caFile;
    o.clientId = "korvane-" + deviceId(settings_.topic);
    o.will = MqttMessage{availabilityTopic(settings_.topic), "offline", 1, true};
    o.connectTimeoutMs = connectTimeoutMs_;
    client_->open(o);
}

void Publisher::onConnected() {
    waits_.reset();
    lastError_.clear();
    outboxInFlight_.clear();
    directInFlight_.clear();
    const std::string& topic = settings_.topic;
    publishNow({availabilityTopic(topic), "online", 1, true});
    if (settings_.discovery || withdrawDiscovery_) {
        for (MqttMessage m :
             discoveryMessages({topic, settings_.discoveryPrefix, windUnits_, KORVANE_VERSION})) {
            if (!settings_.discovery)
                m.payload.clear(); // an empty retained message deletes the entity
            publishNow(m);
        }
        withdrawDiscovery_ = false;
    }
    for (std::size_t i = 0; i < kAlarmKindCount; ++i)
        publishNow({alarmStateTopic(topic, static_cast<AlarmKind>(i)), alarmOn_[i] ? "ON" : "OFF",
                    1, true});
    if (reading_ && publishState(*reading_, readingTime_))
        lastStateMs_ = readingTime_.utcMs;
    pump();
    emit statusChanged();
}

void Publisher::onFailed(const std::string& reason, bool closedByBroker) {
    if (closedByBroker && outbox_) {
        std::optional<std::uint64_t> oldest;
        long long sinceSent = 0;
        for (const auto& [mid, sent] : outboxInFlight_) {
            if (!oldest || sent.key < *oldest) {
                oldest = sent.key;
                sinceSent = steadyMs() - sent.atMs;
            }
        }
        if (const auto refused = refusals_.closedAfter(oldest, sinceSent))
            outbox_->setAside(*refused);
    }
    outboxInFlight_.clear();
    directInFlight_.clear();
    if (outbox_)
        outbox_->connectionLost();
    lastError_ = reason;
    if (settings_.enabled && !exited_)
        retry_->start(waits_.next());
    emit statusChanged();
}

void Publisher::onPublished(int mid) {
    if (farewellMid_ && *farewellMid_ == mid)
        farewellMid_.reset();
    directInFlight_.erase(mid);
    if (const auto it = outboxInFlight_.find(mid); it != outboxInFlight_.end()) {
        refusals_.acknowledged(it->second.key);
        outboxInFlight_.erase(it);
    }
    if (!outbox_)
        return;
    outbox_->acknowledged(mid);
    pump();
}

void Publisher::sayFarewell(const std::function<bool()>& alsoDone) {
    // A clean DISCONNECT makes the broker drop the will, so "offline" must
    // itself be acknowledged before the connection goes: written to the
    // socket is not enough when the disconnect follows at once.
    farewellMid_ = client_->publish({availabilityTopic(settings_.topic), "offline", 1, true}).mid;
    client_->drain(exitFlushMs_, [&] { return !farewellMid_ && alsoDone(); });
    farewellMid_.reset();
}

void Publisher::publishNow(const MqttMessage& message) {
    const PublishResult r = client_->publish(message);
    if (r.mid && message.qos > 0)
        directInFlight_.insert(*r.mid);
}

bool Publisher::publishState(const Reading& reading, const LiveTime& when) {
    // Before the day's energy is known (just started, or just past midnight
    // before the energy timer restarted the count) any total would be false.
    if (!energyDay_ || *energyDay_ != when.day)
        return false;
    double wh = roundHalfEven(energyTodayWh_, 3);
    const bool sameDay = publishedEnergy_ && publishedEnergy_->day == when.day;
    if (sameDay)
        wh = std::max(wh, publishedEnergy_->wh);
    if (!sameDay || wh > publishedEnergy_->wh) {
        publishedEnergy_ = PublishedEnergy{when.day, wh};
        // Kept before it is told.  A file that cannot be written does not
        // hold the live values back: only a restart after it could go lower.
        savePublishedEnergy(appFolder_, *publishedEnergy_);
    }
    publishNow(stateMessage(settings_.topic, reading, wh, when,
                            outputIndex_ ? outputIndex_() : std::nullopt));
    return true;
}

void Publisher::pump() {
    if (!outbox_ || !client_->isConnected())
        return;
    // A message suspected of being refused goes out with nothing else
    // unacknowledged, so the broker's next close can only be for it.
    const bool alone = refusals_.suspecting();
    if (alone && (!directInFlight_.empty() || outbox_->inFlight() > 0))
        return;
    bool refusedSome = true;
    while (refusedSome) {
        refusedSome = false;
        for (const Outbox::ToSend& s : outbox_->nextToSend()) {
            const PublishResult r = client_->publish(*s.message);
            if (r.refused) {
                outbox_->setAside(s.key);
                refusedSome = true;
                continue;
            }
            if (!r.mid) {
                outbox_->notSent(s.key);
                return;
            }
            outbox_->sent(s.key, *r.mid);
            outboxInFlight_[*r.mid] = {s.key, steadyMs()};
            if (alone)
                return;
        }
        if (refusedSome)
            emit statusChanged();
    }
}

void Publisher::queue(MqttMessage message) {
    if (!settings_.enabled || !outbox_ || exited_)
        return;
    outbox_->add(std::move(message));
    pump();
}

void Publisher::alarmEvent(const AlarmEvent& event) {
    const std::size_t i = index(event.kind);
    if (i < kAlarmKindCount)
        alarmOn_[i] = event.change == "raised";
    if (!settings_.enabled)
        return;
    queue(alarmMessage(settings_.topic, event, dayKey(clock_.now())));
    publishNow({alarmStateTopic(settings_.topic, event.kind), alarmOn_[i] ? "ON" : "OFF", 1, true});
}

void Publisher::setActiveAlarms(const std::array<bool, kAlarmKindCount>& active) {
    alarmOn_ = active;
    if (!settings_.enabled || !client_->isConnected())
        return;
    for (std::size_t i = 0; i < kAlarmKindCount; ++i)
        publishNow({alarmStateTopic(settings_.topic, static_cast<AlarmKind>(i)),
                    alarmOn_[i] ? "ON" : "OFF", 1, true});
}

void Publisher::started(double totalWh, const LiveTime& when) {
    energyTodayWh_ = totalWh;
    energyDay_ = when.day;
}

void Publisher::packetDecoded(const Reading& reading, const LiveTime& when) {
    reading_ = reading;
    readingTime_ = when;
    if (!settings_.enabled || !client_->isConnected())
        return;
    const auto intervalMs = static_cast<std::int64_t>(settings_.intervalSeconds * 1000.0);
    // A clock set back starts the interval afresh rather than pausing the
    // messages until it catches up.
    if (lastStateMs_ && when.utcMs >= *lastStateMs_ && when.utcMs - *lastStateMs_ < intervalMs)
        return;
    if (publishState(reading, when))
        lastStateMs_ = when.utcMs;
}

void Publisher::energyAdded(double, double totalWh, const LiveTime& when) {
    energyTodayWh_ = totalWh;
    energyDay_ = when.day;
}

void Publisher::recordLogged(const LoggedRecord& record, const LiveTime& when) {
    queue(recordMessage(settings_.topic, record, when));
}

void Publisher::logBacklogChanged(std::size_t, const LiveTime&) {}

void Publisher::exiting(const LiveTime&) {
    if (client_->isConnected()) {
        pump();
        sayFarewell([this] { return !outbox_ || outbox_->inFlight() == 0; });
    }
    exited_ = true;
    retry_->stop();
    housekeeping_->stop();
    client_->close();
    if (outbox_)
        exitNote_ = outbox_->close();
}

std::string Publisher::statusText() const {
    if (!settings_.enabled)
        return {};
    std::string text;
    if (client_->isConnected())
        text = connectedStatus(broker());
    else if (!lastError_.empty() && retry_->isActive())
        text = retryStatus(broker(), lastError_, retry_->remainingTime());
    else if (!lastError_.empty())
        text = "MQTT: " + broker() + ": " + lastError_;
    else
        text = connectingStatus(broker());
    text += setAsideStatus(setAside());
    if (!configProblem_.empty())
        text += "; mqtt.cfg: " + configProblem_ + " Its default is used.";
    return text;
}

bool Publisher::isConnected() const {
    return client_->isConnected();
}

std::size_t Publisher::waiting() const {
    return outbox_ ? outbox_->waitingInMemory() - outbox_->setAsideCount() : 0;
}

std::size_t Publisher::setAside() const {
    return outbox_ ? outbox_->setAsideCount() : 0;
}

} // namespace korvane
