#include "mqtt_client.h"

#include "publish/reconnect.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <mosquitto.h>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>

namespace korvane {

namespace {

void initLibrary() {
    static const int once = mosquitto_lib_init();
    (void)once;
}

// "Connection refused" -> "connection refused": it follows a colon.
std::string errnoText(int error) {
    std::string text = std::strerror(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

std::string libraryText(int rc, int savedErrno) {
    if (rc == MOSQ_ERR_ERRNO && savedErrno != 0)
        return errnoText(savedErrno);
    if (rc == MOSQ_ERR_CONN_LOST)
        return "the broker closed the connection";
    if (rc == MOSQ_ERR_TLS)
        return "TLS handshake failed (check the CA file and the broker's certificate)";
    std::string text = mosquitto_strerror(rc);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

// Refusals that no retry can mend: the message itself is at fault.
bool refusesForGood(int rc) {
    return rc == MOSQ_ERR_MALFORMED_UTF8 || rc == MOSQ_ERR_INVAL || rc == MOSQ_ERR_PAYLOAD_SIZE ||
           rc == MOSQ_ERR_OVERSIZE_PACKET;
}

} // namespace

// mosquitto_connect_async looks the host name up with getaddrinfo, which
// blocks for as long as the name server takes, so it runs on a thread of
// its own.  The library must see the name (not an address looked up
// beforehand): it sends it for SNI and checks the broker's certificate
// against it.  The job owns the library object until the client takes it
// back on the event loop; a client that moved on meanwhile leaves it to the
// job, which frees it wherever the last reference goes.
struct MqttClient::ConnectJob {
    std::mutex mutex;
    MqttClient* owner = nullptr; // written on the event loop's thread only, under `mutex`
    mosquitto* mosq = nullptr;
    std::string host;
    int port = 0;
    int keepAliveSeconds = 0;
    int rc = MOSQ_ERR_SUCCESS;
    int savedErrno = 0;

    ~ConnectJob() {
        if (mosq)
            mosquitto_destroy(mosq);
    }

    static void run(const std::shared_ptr<ConnectJob>& job) {
        errno = 0;
        job->rc =
            mosquitto_connect_async(job->mosq, job->host.c_str(), job->port, job->keepAliveSeconds);
        job->savedErrno = errno;
        // Held while posting, so the owner cannot be destroyed in between; a
        // posted call whose receiver is destroyed later is dropped by Qt.
        const std::lock_guard lock(job->mutex);
        if (job->owner)
            QMetaObject::invokeMethod(
                job->owner,
                [job] {
                    if (job->owner)
                        job->owner->connectStepDone(job);
                },
                Qt::QueuedConnection);
    }
};

MqttClient::MqttClient(QObject* parent)
    : QObject(parent), misc_(new QTimer(this)), timeout_(new QTimer(this)) {
    initLibrary();
    misc_->setInterval(1000);
    connect(misc_, &QTimer::timeout, this, [this] { housekeeping(); });
    timeout_->setSingleShot(true);
    connect(timeout_, &QTimer::timeout, this, [this] { timedOut(); });
}

MqttClient::~MqttClient() {
    drop();
}

void MqttClient::open(const MqttConnectOptions& options) {
    drop();
    options_ = options;
    state_ = State::Resolving;
    timeout_->start(options_.connectTimeoutMs);
    QTimer::singleShot(0, this, [this, gen = generation_] {
        if (gen == generation_)
            connectNow();
    });
}

void MqttClient::connectNow() {
    const MqttConnectOptions& o = options_;
    mosquitto* mosq = mosquitto_new(o.clientId.empty() ? nullptr : o.clientId.c_str(), true, this);
    if (!mosq) {
        fail("out of memory");
        return;
    }
    mosquitto_connect_callback_set(mosq, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(mosq, &MqttClient::onDisconnect);
    mosquitto_publish_callback_set(mosq, &MqttClient::onPublish);
    std::string problem;
    if (!o.user.empty() &&
        mosquitto_username_pw_set(mosq, o.user.c_str(), o.password.c_str()) != MOSQ_ERR_SUCCESS)
        problem = "the user name or password cannot be used";
    if (problem.empty() && o.tls) {
        const int rc =
            mosquitto_tls_set(mosq, o.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS)
            problem = "cannot use the CA file " + o.caFile + " (" + libraryText(rc, errno) + ")";
    }
    if (problem.empty() && o.will) {
        const MqttMessage& w = *o.will;
        const int rc = mosquitto_will_set(mosq, w.topic.c_str(), static_cast<int>(w.payload.size()),
                                          w.payload.data(), w.qos, w.retain);
        if (rc != MOSQ_ERR_SUCCESS)
            problem = "the topic " + w.topic + " cannot be used (" + libraryText(rc, 0) + ")";
    }
    if (!problem.empty()) {
        mosquitto_destroy(mosq);
        fail(problem);
        return;
    }
    auto job = std::make_shared<ConnectJob>();
    job->owner = this;
    job->mosq = mosq;
    job->host = o.host;
    job->port = o.port;
    job->keepAliveSeconds = o.keepAliveSeconds;
    job_ = job;
    try {
        std::thread(&ConnectJob::run, job).detach();
    } catch (const std::system_error& e) {
        job_.reset();
        job->owner = nullptr;
        fail(std::string("cannot start the connection (") + e.what() + ")");
    }
}

void MqttClient::connectStepDone(const std::shared_ptr<ConnectJob>& job) {
    if (job != job_)
        return;
    job_.reset();
    {
        const std::lock_guard lock(job->mutex);
        job->owner = nullptr;
    }
    mosq_ = job->mosq;
    job->mosq = nullptr;
    if (job->rc != MOSQ_ERR_SUCCESS) {
        fail(job->rc == MOSQ_ERR_EAI ? std::string("host not found")
                                     : libraryText(job->rc, job->savedErrno));
        return;
    }
    state_ = State::TcpConnecting;
    const int fd = mosquitto_socket(mosq_);
    read_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    write_ = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(read_, &QSocketNotifier::activated, this, [this] { readable(); });
    connect(write_, &QSocketNotifier::activated, this, [this] { writable(); });
    misc_->start();
    updateNotifiers();
}

void MqttClient::close() {
    if (mosq_ && state_ == State::Connected) {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_write(mosq_, 1);
    }
    drop();
}

void MqttClient::drop() {
    ++generation_;
    if (job_) {
        const std::lock_guard lock(job_->mutex);
        job_->owner = nullptr;
    }
    job_.reset();
    misc_->stop();
    timeout_->stop();
    delete read_;
    delete write_;
    read_ = nullptr;
    write_ = nullptr;
    if (mosq_)
        mosquitto_destroy(mosq_);
    mosq_ = nullptr;
    state_ = State::Closed;
    events_.clear();
}

PublishResult MqttClient::publish(const MqttMessage& m) {
    if (state_ != State::Connected)
        return {std::nullopt, false, "not connected"};
    int mid = 0;
    errno = 0;
    const int rc =
        mosquitto_publish(mosq_, &mid, m.topic.c_str(), static_cast<int>(m.payload.size()),
                          m.payload.data(), m.qos, m.retain);
    if (rc != MOSQ_ERR_SUCCESS)
        return {std::nullopt, refusesForGood(rc), libraryText(rc, errno)};
    updateNotifiers();
    return {mid, false, {}};
}

void MqttClient::onConnect(mosquitto*, void* self, int rc) {
    static_cast<MqttClient*>(self)->events_.push_back(
        {rc == 0 ? EventKind::Connected : EventKind::Refused, rc});
}

void MqttClient::onDisconnect(mosquitto*, void* self, int rc) {
    static_cast<MqttClient*>(self)->events_.push_back({EventKind::Lost, rc});
}

void MqttClient::onPublish(mosquitto*, void* self, int mid) {
    static_cast<MqttClient*>(self)->events_.push_back({EventKind::Published, mid});
}

void MqttClient::readable() {
    if (!mosq_)
        return;
    errno = 0;
    const int rc = mosquitto_loop_read(mosq_, 20);
    step(rc, errno);
}

void MqttClient::writable() {
    if (!mosq_)
        return;
    if (state_ == State::TcpConnecting) {
        // The socket turns writable when the connect ends, either way.
        int error = 0;
        socklen_t len = sizeof error;
        if (::getsockopt(mosquitto_socket(mosq_), SOL_SOCKET, SO_ERROR, &error, &len) == 0 &&
            error != 0) {
            fail(errnoText(error));
            return;
        }
        state_ = State::Handshaking;
        // A TLS handshake waiting to write is carried on by the read call.
        errno = 0;
        const int rc = mosquitto_loop_read(mosq_, 1);
        step(rc, errno);
        if (!mosq_)
            return;
    }
    errno = 0;
    const int rc = mosquitto_loop_write(mosq_, 20);
    step(rc, errno);
}

void MqttClient::housekeeping() {
    if (!mosq_)
        return;
    const int rc = mosquitto_loop_misc(mosq_);
    step(rc, 0);
}

void MqttClient::timedOut() {
    if (state_ == State::Resolving)
        fail("the host name could not be looked up in time");
    else if (state_ == State::TcpConnecting || state_ == State::Handshaking)
        fail("no answer from the broker");
}

void MqttClient::step(int rc, int savedErrno) {
    // Any error, "no connection" included, means the library's socket is
    // gone: the notifiers must not stay on a closed descriptor.
    if (rc != MOSQ_ERR_SUCCESS) {
        // A refusal's callback says more than the error code that follows it.
        for (const Event& e : events_) {
            if (e.kind == EventKind::Refused) {
                fail(connackText(e.value));
                return;
            }
        }
        // End of stream or a reset from the broker's side; a keep-alive
        // time-out or our own write failing is something else.
        const bool closed =
            state_ == State::Connected &&
            (rc == MOSQ_ERR_CONN_LOST || (rc == MOSQ_ERR_ERRNO && savedErrno == ECONNRESET));
        fail(libraryText(rc, savedErrno), closed);
        return;
    }
    dispatch();
}

void MqttClient::dispatch() {
    // Handlers may close or reopen this client: take the events first.
    std::vector<Event> events;
    events.swap(events_);
    for (const Event& e : events) {
        switch (e.kind) {
        case EventKind::Connected:
            state_ = State::Connected;
            timeout_->stop();
            emit connected();
            break;
        case EventKind::Refused:
            fail(connackText(e.value));
            return;
        case EventKind::Lost:
            fail(e.value == 0 ? std::string("disconnected") : libraryText(e.value, 0),
                 e.value == MOSQ_ERR_CONN_LOST);
            return;
        case EventKind::Published:
            emit published(e.value);
            break;
        }
        if (!mosq_)
            return;
    }
    updateNotifiers();
}

void MqttClient::fail(const std::string& reason, bool closedByBroker) {
    drop();
    emit failed(QString::fromStdString(reason), closedByBroker);
}

void MqttClient::updateNotifiers() {
    if (!mosq_ || !write_)
        return;
    write_->setEnabled(state_ == State::TcpConnecting || mosquitto_want_write(mosq_));
}

bool MqttClient::drain(int timeoutMs, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (mosq_ && state_ == State::Connected) {
        if (!mosquitto_want_write(mosq_) && done())
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            return false;
        pollfd p{mosquitto_socket(mosq_), static_cast<short>(POLLIN), 0};
        if (mosquitto_want_write(mosq_))
            p.events = static_cast<short>(p.events | POLLOUT);
        if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR)
            return false;
        if (p.revents & (POLLIN | POLLERR | POLLHUP))
            readable();
        if (mosq_ && (p.revents & POLLOUT))
            writable();
    }
    return false;
}

} // namespace korvane
