#pragma once
// The dashboard's HTTP server on libmicrohttpd: a thread per connection,
// its own listening socket, limits on connections, clients, header size and
// idle time, basic authentication when a password is set, and the event
// stream of live snapshots.  Nothing here touches the caller's thread after
// start() returns; stop() (or the destructor) ends every connection.

#include "live_snapshot.h"
#include "web_config.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace korvane {

struct WebLimits {
    unsigned maxConnections = 64; // in all
    unsigned perClient = 8;       // from one address
    unsigned idleTimeoutS = 30;   // a connection that sends nothing for this long is closed
    unsigned maxStreams = 16;     // event streams at once
    std::size_t maxHeaderBytes = 8192;
    int streamIntervalMs = 500;    // least time between two events of a stream
    int keepAliveMs = 15000;       // a comment line on a quiet stream this often
    int streamLifetimeMs = 600000; // a stream is ended after this; the page reconnects at once
};

class WebServer {
public:
    WebServer();
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // Listens and serves `board`'s snapshots, the store at `storePath`
    // (read-only) and the web page of `appFolder`.  Settings that are not
    // enabled start nothing.  Returns "" when serving (or off), else what
    // is wrong, for the status line: "port 8470 is in use by another
    // program".  A running server is stopped first.
    std::string start(const WebSettings& settings, const std::string& appFolder,
                      const std::string& storePath, const SnapshotBoard& board,
                      const WebLimits& limits = {});
    // Closes the socket and every connection; waits for their threads.
    void stop();

    bool running() const;
    // The port bound (useful when the settings asked for 0), 0 when stopped.
    int port() const;
    // The addresses to type into a browser, as dashboardUrls gives them.
    std::vector<std::string> urls() const;
    // "Web: http://192.168.1.5:8470/", "Web: off", or "Web: " and what is wrong.
    std::string statusText() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    mutable std::mutex mutex_;
    std::string status_ = "Web: off";
    std::vector<std::string> urls_;
};

// True when `given` equals `secret`, in a time that depends only on the
// length of `given`: neither where they first differ nor the secret's
// length shows in it.
bool sameSecret(std::string_view given, std::string_view secret);

} // namespace korvane
