#pragma once
// When to try the broker again, and the status line's words.

#include <string>
#include <string_view>

namespace korvane {

// Waits between connection attempts: 1 s, doubling after every failure, at
// most 60 s; back to 1 s once a connection was accepted.
class RetryWaits {
public:
    explicit RetryWaits(int firstMs = 1000, int maxMs = 60000) : firstMs_(firstMs), maxMs_(maxMs) {}
    // The wait before the next attempt; each call doubles the one after.
    int next();
    void reset() { failures_ = 0; }

private:
    int firstMs_;
    int maxMs_;
    int failures_ = 0;
};

// "host:port"; an IPv6 address in brackets ("[::1]:1883").
std::string brokerName(std::string_view host, int port);

// "MQTT: connected to 127.0.0.1:1883"
std::string connectedStatus(std::string_view broker);
// "MQTT: connecting to 127.0.0.1:1883"
std::string connectingStatus(std::string_view broker);
// "MQTT: 127.0.0.1:1883: connection refused; next try in 8 s" (seconds rounded up).
std::string retryStatus(std::string_view broker, std::string_view error, int msToNextTry);

// What the broker's CONNACK return code means (MQTT 3.1.1 codes 1..5), as
// the status line says it: 4 -> "wrong user name or password".
std::string connackText(int code);

} // namespace korvane
