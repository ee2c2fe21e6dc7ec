#pragma once
// Publishing as a live sink: the live values, every log record and every
// alarm change go to the MQTT broker named in mqtt.cfg, with Home Assistant
// discovery.  Records and alarm events pass through an outbox and are
// deleted only once the broker acknowledged them, so an outage or a restart
// loses none; one the library or the broker refuses as malformed is set
// aside (kept in the outbox's storage) instead of holding up the rest.  The
// broker is tried again after 1 s, 2 s, 4 s ... up to 60 s.
//
// "energy_today_wh" never goes down within a day, not even over a restart:
// the state waits until the day's energy is known (started() or
// energyAdded()), and the highest total published for the day is kept in
// mqtt-energy.cfg and published instead of a lower one.

// Qt's headers first: the moc of Qt 6.4 fails on <compare> (from the clock)
// unless a Qt header came before it.
#include <QObject>

#include "alarms/alarm_text.h"
#include "monitor/live_sink.h"
#include "platform/clock.h"
#include "platform/numbers.h"
#include "publish/mqtt_config.h"
#include "publish/outbox.h"
#include "publish/reconnect.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

class QTimer;

namespace korvane {

class MqttClient;

struct PublisherSetup {
    std::string appFolder;        // mqtt.cfg and prog.cfg (WSUnits) are read from here
    const Clock* clock = nullptr; // required: the day key of alarm events
    NumberFormat numberFormat;
    // Where unacknowledged records and alarm events wait; null: the outbox
    // table of <appFolder>/korvane.db, over a connection of its own.
    std::unique_ptr<OutboxStorage> outbox;
    std::string hostName;    // for the default topic; empty: this machine's name
    int firstRetryMs = 1000; // the growing waits between connection attempts
    int maxRetryMs = 60000;
    int connectTimeoutMs = 10000;
    int exitFlushMs = 2000; // how long exiting() may wait for acknowledgements
    // The turbine's 7-day output index (percent), carried in the state
    // message when known; null: never.  Called for every state message, so
    // it must be cheap.
    std::function<std::optional<double>()> outputIndex;
};

class Publisher final : public QObject, public LiveSink {
    Q_OBJECT
public:
    // Reads mqtt.cfg and connects when publishing is on.
    explicit Publisher(PublisherSetup setup, QObject* parent = nullptr);
    ~Publisher() override;

    // Re-reads mqtt.cfg and WSUnits (after the Publishing dialog saved); a
    // changed broker or topic is connected to afresh.
    void reload();

    // An alarm raised or cleared (from the alarm monitor's event recorder).
    void alarmEvent(const AlarmEvent& event);
    // The alarms active at the start (the alarm monitor restores them from
    // the store), so the retained ON/OFF topics are right from the first
    // connection instead of "OFF" until the next event.
    void setActiveAlarms(const std::array<bool, kAlarmKindCount>& active);

    void started(double totalWh, const LiveTime& when) override;
    void packetDecoded(const Reading& reading, const LiveTime& when) override;
    void energyAdded(double addedWh, double totalWh, const LiveTime& when) override;
    void recordLogged(const LoggedRecord& record, const LiveTime& when) override;
    void logBacklogChanged(std::size_t waiting, const LiveTime& when) override;
    // Publishes "offline", waits at most exitFlushMs for the outbox and
    // disconnects.  What is still unacknowledged stays in the outbox.
    void exiting(const LiveTime& when) override;
    // After exiting(): where messages the broker never acknowledged were
    // kept, when the store could not take them ("... kept in ..."), else
    // empty.
    const std::string& exitNote() const { return exitNote_; }
    // "MQTT: connected to host:port", "MQTT: host:port: connection refused;
    // next try in 8 s", followed by "; 1 message refused and set aside" and
    // "; mqtt.cfg: <the refused field>" when so; empty while publishing is off.
    std::string statusText() const override;

    const MqttSettings& settings() const { return settings_; }
    bool isConnected() const;
    // Records and alarm events not yet acknowledged nor set aside (0 while
    // publishing is off).
    std::size_t waiting() const;
    // Records and alarm events set aside in this run.
    std::size_t setAside() const;

signals:
    // The status line changed outside a sink call (connected, lost, retrying).
    void statusChanged();

private:
    void load();
    void start();
    void stop(bool sayOffline);
    void tryConnect();
    void onConnected();
    void onFailed(const std::string& reason, bool closedByBroker);
    void onPublished(int mid);
    void pump();
    void publishNow(const MqttMessage& message);
    // The state, when the energy of its day is known; false when not sent.
    bool publishState(const Reading& reading, const LiveTime& when);
    // Publishes "offline" and waits (at most the exit flush time) for its
    // acknowledgement and for `alsoDone`.
    void sayFarewell(const std::function<bool()>& alsoDone);
    void queue(MqttMessage message);
    std::string broker() const;

    std::string appFolder_;
    const Clock& clock_;
    NumberFormat fmt_;
    std::string hostName_;
    int connectTimeoutMs_;
    int exitFlushMs_;
    std::optional<int> farewellMid_; // "offline" sent, not yet acknowledged
    std::unique_ptr<OutboxStorage> storage_;
    std::function<std::optional<double>()> outputIndex_;
    std::string exitNote_;
    std::unique_ptr<Outbox> outbox_;
    MqttSettings settings_;
    std::string windUnits_;
    RetryWaits waits_;
    MqttClient* client_;
    QTimer* retry_;
    QTimer* housekeeping_;
    std::string lastError_;
    bool exited_ = false;
    bool withdrawDiscovery_ = false;

    std::string configProblem_; // the field of mqtt.cfg that took its default
    BrokerRefusals refusals_;
    struct Sent {
        std::uint64_t key;
        std::int64_t atMs; // steady clock: the broker's timing is real time
    };
    std::map<int, Sent> outboxInFlight_; // by message id, this connection only
    std::set<int> directInFlight_;       // QoS 1 messages outside the outbox

    std::optional<Reading> reading_;
    LiveTime readingTime_;
    double energyTodayWh_ = 0;
    std::optional<std::string> energyDay_; // the day energyTodayWh_ belongs to, once known
    std::optional<PublishedEnergy> publishedEnergy_;
    std::optional<std::int64_t> lastStateMs_;
    std::array<bool, kAlarmKindCount> alarmOn_{};
};

} // namespace korvane
