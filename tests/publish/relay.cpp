#include "relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace korvane::test {
namespace {

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

struct Pair {
    int client;
    int broker;
};

} // namespace

Relay::Relay(int brokerPort) : brokerPort_(brokerPort) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    ::bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    ::listen(listenFd_, 8);
    thread_ = std::thread([this] { run(); });
}

Relay::~Relay() {
    stop_ = true;
    thread_.join();
    ::close(listenFd_);
}

void Relay::run() {
    std::vector<Pair> pairs;
    char buf[65536];
    while (!stop_) {
        std::vector<pollfd> fds{{listenFd_, POLLIN, 0}};
        for (const Pair& p : pairs) {
            fds.push_back({p.client, POLLIN, 0});
            fds.push_back({p.broker, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), 20) <= 0)
            continue;
        std::vector<Pair> kept;
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            const Pair& p = pairs[i];
            bool open = true;
            for (int side = 0; side < 2 && open; ++side) {
                if (!(fds[1 + 2 * i + side].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                const int from = side == 0 ? p.client : p.broker;
                const int to = side == 0 ? p.broker : p.client;
                const ssize_t n = ::read(from, buf, sizeof buf);
                if (n <= 0)
                    open = false;
                else if (side == 0 || !hold_)
                    open = ::send(to, buf, static_cast<std::size_t>(n), MSG_NOSIGNAL) == n;
            }
            if (open) {
                kept.push_back(p);
            } else {
                ::close(p.client);
                ::close(p.broker);
            }
        }
        pairs.swap(kept);
        if (fds[0].revents & POLLIN) {
            const int client = ::accept(listenFd_, nullptr, nullptr);
            const int broker = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in a = loopback(brokerPort_);
            if (client >= 0 && ::connect(broker, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
                pairs.push_back({client, broker});
            } else {
                ::close(client);
                ::close(broker);
            }
        }
    }
    for (const Pair& p : pairs) {
        ::close(p.client);
        ::close(p.broker);
    }
}

} // namespace korvane::test
