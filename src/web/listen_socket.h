#pragma once
// The dashboard's listening socket, made by Korvane rather than by the HTTP
// library so a refusal comes back with its reason in plain words.

#include <string>

namespace korvane {

struct Listener {
    int fd = -1;         // the listening socket (close-on-exec), -1 on failure
    int port = 0;        // the port bound: the one asked for, or the one given for 0
    bool v6 = false;     // an IPv6 socket
    std::string problem; // why not: "port 8470 is in use by another program; choose another port"
};

// Binds and listens on a numeric IPv4 or IPv6 address.  "::" serves IPv4
// too; any other IPv6 address only itself.
Listener listenOn(const std::string& address, int port);

} // namespace korvane
