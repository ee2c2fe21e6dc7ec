#pragma once
// A plain HTTP/1.1 client over a blocking loopback socket, for tests that
// talk to the real server as a browser would, or as a hostile client would.

#include <chrono>
#include <map>
#include <optional>
#include <string>

namespace korvane::test {

struct HttpReply {
    int status = 0;                             // 0: no answer
    std::map<std::string, std::string> headers; // names lower-cased
    std::string body;                           // chunked bodies decoded
};

// A connected socket, closed on destruction.  `from` picks the source
// address (127.0.0.2 plays another client).
class HttpConnection {
public:
    HttpConnection(int port, const std::string& from = "127.0.0.1");
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    bool connected() const { return fd_ >= 0; }
    bool send(const std::string& bytes);
    // Reads until `needle` has arrived (in all bytes read so far), the peer
    // closes or `timeout` passes; all bytes read so far.
    std::string readUntil(const std::string& needle, std::chrono::milliseconds timeout);
    // Reads until the peer closes or `timeout` passes.
    std::string readAll(std::chrono::milliseconds timeout);
    // True once the server has closed the connection (a read gives 0 bytes).
    bool closedByPeer(std::chrono::milliseconds timeout);

private:
    int fd_ = -1;
    std::string got_;
};

// One request with "Connection: close"; `extraHeaders` lines end in CR LF.
HttpReply httpRequest(int port, const std::string& method, const std::string& target,
                      const std::string& extraHeaders = {},
                      std::chrono::milliseconds timeout = std::chrono::seconds(10));
inline HttpReply httpGet(int port, const std::string& target, const std::string& extra = {}) {
    return httpRequest(port, "GET", target, extra);
}

// Parses a whole response as read from the socket.
HttpReply parseHttpReply(const std::string& raw);

// "Authorization: Basic ..." CR LF for the user and password.
std::string basicAuthHeader(const std::string& user, const std::string& password);

} // namespace korvane::test
