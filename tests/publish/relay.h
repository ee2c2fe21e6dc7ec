#pragma once
// A TCP relay on 127.0.0.1 in front of a broker, for losing acknowledgements
// on purpose: what a client sends always reaches the broker, and while
// replies are held back what the broker answers (CONNACK, PUBACK) is dropped.
// When either side closes, the relay closes the other.

#include <atomic>
#include <thread>

namespace korvane::test {

class Relay {
public:
    explicit Relay(int brokerPort);
    ~Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    int port() const { return port_; }
    void holdReplies(bool hold) { hold_ = hold; }

private:
    void run();

    int brokerPort_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> hold_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace korvane::test
