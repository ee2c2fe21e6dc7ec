#pragma once
// One connection to an MQTT broker over libmosquitto, driven from the Qt
// event loop: the socket is watched with QSocketNotifier, keep-alive runs on
// a timer, nothing waits.  The one step that can block (the library looks
// the host name up itself) runs on a thread of its own.  No reconnecting of
// its own: when the connection fails or ends, failed() says why and the
// owner decides when to try again.

// Qt's headers first: the moc of Qt 6.4 fails on <compare> (from the clock)
// unless a Qt header came before it.
#include <QObject>
#include <QString>

#include "publish/mqtt_messages.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QSocketNotifier;
class QTimer;
struct mosquitto;

namespace korvane {

struct MqttConnectOptions {
    std::string host;
    int port = 1883;
    std::string user; // empty: no user name
    std::string password;
    bool tls = false;
    std::string caFile; // with tls: the CA that signed the broker's certificate
    std::string clientId;
    std::optional<MqttMessage> will; // published by the broker if we vanish
    int keepAliveSeconds = 30;
    int connectTimeoutMs = 10000; // from open() to the broker's CONNACK
};

// What became of a publish() call.
struct PublishResult {
    std::optional<int> mid; // the message id, when the message was queued
    // The library refuses this message for good (a topic that is not valid
    // UTF-8 or holds a wildcard, a payload too large): sending it again
    // cannot help.
    bool refused = false;
    std::string reason; // why it was not queued
};

class MqttClient final : public QObject {
    Q_OBJECT
public:
    explicit MqttClient(QObject* parent = nullptr);
    ~MqttClient() override;

    // Starts connecting (a previous connection is dropped).  The outcome
    // comes later as connected() or failed(), never from within this call.
    // The host name is looked up off the event loop, so a name server that
    // is slow or away cannot stall it ("host not found" when it fails); the
    // library still gets the name itself, so with TLS the broker's
    // certificate must be made out to that name.
    void open(const MqttConnectOptions& options);
    // Sends DISCONNECT when connected, and drops the connection without
    // emitting anything.
    void close();
    bool isConnected() const { return state_ == State::Connected; }
    bool isOpen() const { return state_ != State::Closed; }

    // Queues a message: its message id, or why not (not connected, or the
    // library refuses it).
    PublishResult publish(const MqttMessage& message);

    // Writes and reads, without the event loop, for at most `timeoutMs` or
    // until everything queued is written and `done()` says so (signals are
    // emitted as usual meanwhile); for the exit.  True when that was reached.
    bool drain(int timeoutMs, const std::function<bool()>& done);

signals:
    void connected();
    // The connection could not be made or ended: "connection refused", "wrong
    // user name or password", "no answer from the broker".  `closedByBroker`:
    // an accepted connection ended because the broker closed it (as it does
    // when it refuses a message under MQTT 3.1.1), not by a time-out.
    void failed(QString reason, bool closedByBroker);
    // The broker acknowledged a QoS 1 message (or a QoS 0 one was written).
    void published(int mid);

private:
    enum class State { Closed, Resolving, TcpConnecting, Handshaking, Connected };
    struct ConnectJob;
    enum class EventKind { Connected, Refused, Lost, Published };
    struct Event {
        EventKind kind;
        int value;
    };

    static void onConnect(mosquitto*, void* self, int rc);
    static void onDisconnect(mosquitto*, void* self, int rc);
    static void onPublish(mosquitto*, void* self, int mid);

    void connectNow();
    void connectStepDone(const std::shared_ptr<ConnectJob>& job);
    void readable();
    void writable();
    void housekeeping();
    void timedOut();
    // Runs one library call, then handles what its callbacks reported.
    void step(int rc, int savedErrno);
    void dispatch();
    void fail(const std::string& reason, bool closedByBroker = false);
    void drop();
    void updateNotifiers();

    mosquitto* mosq_ = nullptr;
    State state_ = State::Closed;
    QSocketNotifier* read_ = nullptr;
    QSocketNotifier* write_ = nullptr;
    QTimer* misc_;
    QTimer* timeout_;
    std::vector<Event> events_;
    MqttConnectOptions options_;
    std::shared_ptr<ConnectJob> job_; // the connect step running on its thread
    unsigned generation_ = 0;         // tells a stale start from the current one
};

} // namespace korvane
