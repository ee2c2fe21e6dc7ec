#include "http_client.h"

#include <arpa/inet.h>
#include <cctype>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace korvane::test {

HttpConnection::HttpConnection(int port, const std::string& from) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(fd_, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

HttpConnection::~HttpConnection() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool HttpConnection::send(const std::string& bytes) {
    std::size_t at = 0;
    while (fd_ >= 0 && at < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        at += static_cast<std::size_t>(n);
    }
    return fd_ >= 0;
}

std::string HttpConnection::readUntil(const std::string& needle,
                                      std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (fd_ >= 0 && (needle.empty() || got_.find(needle) == std::string::npos)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buf[8192];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        got_.append(buf, static_cast<std::size_t>(n));
    }
    return got_;
}

std::string HttpConnection::readAll(std::chrono::milliseconds timeout) {
    return readUntil({}, timeout);
}

bool HttpConnection::closedByPeer(std::chrono::milliseconds timeout) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0)
        return false;
    char buf[4096];
    const ssize_t n = ::recv(fd_, buf, sizeof buf, MSG_PEEK);
    if (n > 0) {
        // Whatever came first (an error reply), then the close.
        readAll(timeout);
        return true;
    }
    return n == 0 || n < 0;
}

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string dechunk(const std::string& body) {
    std::string out;
    std::size_t at = 0;
    while (at < body.size()) {
        const std::size_t eol = body.find("\r\n", at);
        if (eol == std::string::npos)
            break;
        const std::size_t size = std::stoul(body.substr(at, eol - at), nullptr, 16);
        if (size == 0)
            break;
        out += body.substr(eol + 2, size);
        at = eol + 2 + size + 2;
    }
    return out;
}

} // namespace

HttpReply parseHttpReply(const std::string& raw) {
    HttpReply r;
    const std::size_t headEnd = raw.find("\r\n\r\n");
    if (raw.rfind("HTTP/1.", 0) != 0 || headEnd == std::string::npos)
        return r;
    r.status = std::stoi(raw.substr(9, 3));
    std::size_t at = raw.find("\r\n") + 2;
    while (at < headEnd) {
        const std::size_t eol = raw.find("\r\n", at);
        const std::string line = raw.substr(at, eol - at);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            r.headers[lower(line.substr(0, colon))] = value;
        }
        at = eol + 2;
    }
    r.body = raw.substr(headEnd + 4);
    if (lower(r.headers["transfer-encoding"]) == "chunked")
        r.body = dechunk(r.body);
    return r;
}

HttpReply httpRequest(int port, const std::string& method, const std::string& target,
                      const std::string& extraHeaders, std::chrono::milliseconds timeout) {
    HttpConnection c(port);
    if (!c.send(method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders +
                "Connection: close\r\n\r\n"))
        return {};
    return parseHttpReply(c.readAll(timeout));
}

std::string basicAuthHeader(const std::string& user, const std::string& password) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string in = user + ":" + password;
    std::string out;
    for (std::size_t i = 0; i < in.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(in[i]) << 16;
        if (i + 1 < in.size())
            v |= static_cast<unsigned char>(in[i + 1]) << 8;
        if (i + 2 < in.size())
            v |= static_cast<unsigned char>(in[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += i + 1 < in.size() ? kAlphabet[(v >> 6) & 63] : '=';
        out += i + 2 < in.size() ? kAlphabet[v & 63] : '=';
    }
    return "Authorization: Basic " + out + "\r\n";
}

} // namespace korvane::test
