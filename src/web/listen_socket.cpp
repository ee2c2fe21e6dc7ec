#include "listen_socket.h"

#include "platform/files.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace korvane {

Listener listenOn(const std::string& address, int port) {
    Listener l;
    sockaddr_storage storage{};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
    if (::inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<std::uint16_t>(port));
        length = sizeof *v4;
    } else if (::inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<std::uint16_t>(port));
        length = sizeof *v6;
        l.v6 = true;
    } else {
        l.problem = address + " is not a numeric address";
        return l;
    }
    l.fd = ::socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (l.fd < 0) {
        l.problem = "cannot open a socket (" + errorText(errno) + ")";
        return l;
    }
    const int on = 1;
    // Lets a restarted Korvane take its port back while old connections
    // linger in TIME_WAIT; Linux still refuses a second listener.
    ::setsockopt(l.fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (l.v6) {
        // "::" serves IPv4 too; any other IPv6 address only itself.
        const int only = IN6_IS_ADDR_UNSPECIFIED(&v6->sin6_addr) ? 0 : 1;
        ::setsockopt(l.fd, IPPROTO_IPV6, IPV6_V6ONLY, &only, sizeof only);
    }
    if (::bind(l.fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 ||
        ::listen(l.fd, 64) != 0) {
        const int e = errno;
        const std::string p = std::to_string(port);
        if (e == EADDRINUSE)
            l.problem = "port " + p + " is in use by another program; choose another port";
        else if (e == EADDRNOTAVAIL)
            l.problem = address + " is not an address of this computer";
        else if (e == EACCES)
            l.problem = "port " + p + " needs administrator rights; choose a port from 1024 up";
        else
            l.problem = "cannot listen on " + address + " port " + p + " (" + errorText(e) + ")";
        ::close(l.fd);
        l.fd = -1;
        return l;
    }
    sockaddr_storage bound{};
    socklen_t boundLength = sizeof bound;
    if (::getsockname(l.fd, reinterpret_cast<sockaddr*>(&bound), &boundLength) == 0)
        l.port =
            ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                              : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    return l;
}

} // namespace korvane
