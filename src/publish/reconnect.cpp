#include "reconnect.h"

#include <algorithm>

namespace korvane {

int RetryWaits::next() {
    long long wait = firstMs_;
    for (int i = 0; i < failures_ && wait < maxMs_; ++i)
        wait *= 2;
    ++failures_;
    return static_cast<int>(std::min<long long>(wait, maxMs_));
}

std::string brokerName(std::string_view host, int port) {
    std::string h(host);
    if (h.find(':') != std::string::npos)
        h = "[" + h + "]";
    return h + ":" + std::to_string(port);
}

std::string connectedStatus(std::string_view broker) {
    return "MQTT: connected to " + std::string(broker);
}

std::string connectingStatus(std::string_view broker) {
    return "MQTT: connecting to " + std::string(broker);
}

std::string retryStatus(std::string_view broker, std::string_view error, int msToNextTry) {
    const int seconds = std::max(0, (msToNextTry + 999) / 1000);
    return "MQTT: " + std::string(broker) + ": " + std::string(error) + "; next try in " +
           std::to_string(seconds) + " s";
}

std::string setAsideStatus(std::size_t count) {
    if (count == 0)
        return {};
    return "; " + std::to_string(count) + (count == 1 ? " message" : " messages") +
           " refused and set aside";
}

std::optional<std::uint64_t> BrokerRefusals::closedAfter(std::optional<std::uint64_t> key,
                                                         long long msSinceSent) {
    if (!key || msSinceSent > kSoonMs)
        return std::nullopt;
    if (suspect_ == key) {
        ++strikes_;
    } else {
        suspect_ = key;
        strikes_ = 1;
    }
    if (strikes_ < kStrikes)
        return std::nullopt;
    suspect_.reset();
    strikes_ = 0;
    return key;
}

void BrokerRefusals::acknowledged(std::uint64_t key) {
    if (suspect_ == key) {
        suspect_.reset();
        strikes_ = 0;
    }
}

std::string connackText(int code) {
    switch (code) {
    case 1:
        return "the broker refused the protocol version";
    case 2:
        return "the broker refused the client id";
    case 3:
        return "the broker is unavailable";
    case 4:
        return "wrong user name or password";
    case 5:
        return "not authorised (check the user name and password)";
    default:
        return "the broker refused the connection (code " + std::to_string(code) + ")";
    }
}

} // namespace korvane
