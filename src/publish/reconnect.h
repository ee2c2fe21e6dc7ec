#pragma once
// When to try the broker again, and the status line's words.

#include <cstddef>
#include <cstdint>
#include <optional>
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

// "; 1 message refused and set aside" for the status line; empty for 0.
std::string setAsideStatus(std::size_t count);

// A broker can refuse a message under MQTT 3.1.1 (one too large for its
// max_packet_size, say) only by closing the connection, so sending it again
// after each reconnect would block everything behind it for ever.  A message
// is taken for refused when the broker closed the connection soon after it
// was sent, while it was the oldest message unacknowledged, kStrikes times
// running.  After the first such close it is sent alone, with nothing else
// unacknowledged, so a later close can only be for it; an outage (the
// broker away, a time-out) never counts, and its acknowledgement clears it.
class BrokerRefusals {
public:
    static constexpr int kStrikes = 3;
    static constexpr long long kSoonMs = 3000;

    // The broker closed the connection `msSinceSent` after the oldest
    // unacknowledged message `key` went out (none: nothing was in flight).
    // The key to set aside, once it was suspected kStrikes times running.
    std::optional<std::uint64_t> closedAfter(std::optional<std::uint64_t> key,
                                             long long msSinceSent);
    void acknowledged(std::uint64_t key);
    // A message is suspected: send it alone.
    bool suspecting() const { return suspect_.has_value(); }

private:
    std::optional<std::uint64_t> suspect_;
    int strikes_ = 0;
};

// What the broker's CONNACK return code means (MQTT 3.1.1 codes 1..5), as
// the status line says it: 4 -> "wrong user name or password".
std::string connackText(int code);

} // namespace korvane
