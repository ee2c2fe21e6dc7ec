#pragma once
// A real mosquitto broker for the tests, on 127.0.0.1 at a free port, with a
// config file of its own and persistence off; and a subscriber that records
// what the broker delivers.

#include <chrono>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace korvane::test {

inline constexpr const char* kMosquittoBinary = "/usr/sbin/mosquitto";

struct BrokerOptions {
    std::string user; // non-empty: a password file with this one user
    std::string password;
    std::string caFile; // all three: a TLS listener
    std::string certFile;
    std::string keyFile;
    std::string extraConfig; // lines added to mosquitto.conf as they are
};

class TestBroker {
public:
    // Writes the config (and password file) into `folder`; not started yet.
    TestBroker(std::string folder, BrokerOptions options = {});
    ~TestBroker();
    TestBroker(const TestBroker&) = delete;
    TestBroker& operator=(const TestBroker&) = delete;

    // Starts the broker and waits (at most 5 s) until its port accepts.  A
    // broker that is not installed is a failure of the test, not a skip:
    // scripts/install-deps.sh installs it.
    bool start();
    // SIGTERM, then waits (at most 5 s) for it to end and the port to close.
    void stop();
    int port() const { return port_; }

private:
    std::string folder_;
    int port_ = 0;
    pid_t pid_ = -1;
};

// A port on 127.0.0.1 nobody listens on (at the moment of asking).
int freeLoopbackPort();

struct Received {
    std::string topic;
    std::string payload;
    bool retain = false;
};

// Subscribes to `filter` with QoS 1 on its own network thread.
class TestSubscriber {
public:
    TestSubscriber(int port, std::string filter, std::string caFile = {});
    ~TestSubscriber();
    TestSubscriber(const TestSubscriber&) = delete;
    TestSubscriber& operator=(const TestSubscriber&) = delete;

    // Waits (at most `limit`) for the broker to confirm the subscription.
    bool waitSubscribed(std::chrono::milliseconds limit = std::chrono::seconds(5));
    std::vector<Received> received();
    // The payloads received on one topic, in order of arrival.
    std::vector<std::string> payloads(const std::string& topic);

private:
    static void onConnect(mosquitto*, void*, int);
    static void onSubscribe(mosquitto*, void*, int, int, const int*);
    static void onMessage(mosquitto*, void*, const mosquitto_message*);

    std::string filter_;
    mosquitto* mosq_ = nullptr;
    std::mutex mutex_;
    bool subscribed_ = false;
    std::vector<Received> received_;
};

} // namespace korvane::test
