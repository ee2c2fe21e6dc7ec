#include "web/web_server.h"

#include "http_client.h"
#include "support/temp_dir.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace korvane {
namespace {

using namespace std::chrono_literals;
using test::HttpConnection;
using test::httpGet;
using test::httpRequest;

LiveSnapshot snapshotWithVolts(double volts) {
    LiveSnapshot s;
    s.hasData = true;
    s.volts = volts;
    s.dayKey = "2026_12_9";
    s.portState = "Port 1: /dev/ttyUSB0 (open)";
    s.portOpen = true;
    s.version = "0.1.0";
    return s;
}

class WebServerTest : public ::testing::Test {
protected:
    std::string startServer(WebSettings settings = {}, WebLimits limits = {}) {
        settings.enabled = true;
        settings.listen = "127.0.0.1";
        settings.port = 0;
        const std::string problem =
            server.start(settings, dir.path(), dir.file("korvane.db"), board, limits);
        port = server.port();
        return problem;
    }

    test::TempDir dir;
    SnapshotBoard board;
    WebServer server;
    int port = 0;
};

TEST_F(WebServerTest, AnswersWhatItServesAndRefusesTheRest) {
    ASSERT_EQ(startServer(), "");
    board.publish(snapshotWithVolts(13.52));
    const std::string big = "X-Filler: " + std::string(9000, 'a') + "\r\n";
    struct Row {
        const char* method;
        std::string target;
        std::string headers;
        int status;
        const char* type;     // content-type prefix, "" to skip
        const char* contains; // in the body, "" to skip
    } rows[] = {
        {"GET", "/", "", 200, "text/html", "<title>Korvane</title>"},
        {"GET", "/trends", "", 200, "text/html", "view-trends"},
        {"GET", "/assets/uPlot.iife.min.js", "", 200, "text/javascript", "uPlot"},
        {"GET", "/assets/uPlot-LICENSE.txt", "", 200, "text/plain", "MIT"},
        {"GET", "/api/live", "", 200, "application/json", "\"volts\":13.52"},
        {"GET", "/api/days?from=2026-13-01", "", 400, "application/json", "\"parameter\":\"from\""},
        {"GET", "/api/days", "", 200, "application/json", "\"rows\":[]"},
        {"POST", "/api/live", "Content-Length: 3\r\n", 405, "application/json", "GET and HEAD"},
        {"PUT", "/", "", 405, "", ""},
        {"DELETE", "/api/days", "", 405, "", ""},
        {"OPTIONS", "/", "", 405, "", ""},
        {"GET", "/nothing-here", "", 404, "application/json", "nothing at /nothing-here"},
        {"GET", "/site/../web.cfg", "", 404, "", ""},
        {"GET", "/site/%2e%2e/korvane.db", "", 404, "", ""},
        {"GET", "/assets/../../etc/passwd", "", 404, "", ""},
        {"GET", "/api/live", big, 431, "application/json", "8192 bytes"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.method) + " " + r.target);
        auto reply = httpRequest(port, r.method, r.target, r.headers);
        EXPECT_EQ(reply.status, r.status);
        EXPECT_EQ(reply.headers["content-type"].rfind(r.type, 0), 0u)
            << reply.headers["content-type"];
        EXPECT_NE(reply.body.find(r.contains), std::string::npos) << reply.body;
        if (r.status == 405) {
            EXPECT_EQ(reply.headers["allow"], "GET, HEAD");
        }
    }
    const auto head = httpRequest(port, "HEAD", "/api/live");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.body, "");
}

TEST_F(WebServerTest, APasswordGuardsEveryRequest) {
    WebSettings s;
    s.password = "s3cret&<pass>";
    ASSERT_EQ(startServer(s), "");
    struct Row {
        std::string target;
        std::string auth;
        int status;
    } rows[] = {
        {"/", "", 401},
        {"/api/live", test::basicAuthHeader("korvane", "wrong"), 401},
        {"/api/live", test::basicAuthHeader("korvane", "s3cret&<pass"), 401},
        {"/api/live", test::basicAuthHeader("admin", "s3cret&<pass>"), 401},
        {"/api/events", "", 401},
        {"/site/", "", 401},
        {"/api/live", test::basicAuthHeader("korvane", "s3cret&<pass>"), 200},
        {"/", test::basicAuthHeader("korvane", "s3cret&<pass>"), 200},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.target + " " + r.auth);
        auto reply = httpGet(port, r.target, r.auth);
        EXPECT_EQ(reply.status, r.status);
        if (r.status == 401) {
            EXPECT_NE(reply.headers["www-authenticate"].find("Basic realm=\"Korvane\""),
                      std::string::npos);
        }
    }
    EXPECT_NE(server.statusText().find("(with password)"), std::string::npos);
}

TEST(SameSecret, ComparesWholeTexts) {
    EXPECT_TRUE(sameSecret("abc", "abc"));
    EXPECT_TRUE(sameSecret("", ""));
    EXPECT_FALSE(sameSecret("abd", "abc"));
    EXPECT_FALSE(sameSecret("xbc", "abc"));
    EXPECT_FALSE(sameSecret("ab", "abc"));
    EXPECT_FALSE(sameSecret("abcabc", "abc"));
    EXPECT_FALSE(sameSecret("", "abc"));
    EXPECT_FALSE(sameSecret("abc", ""));
}

int eventCount(const std::string& raw) {
    int n = 0;
    for (std::size_t at = raw.find("\ndata: "); at != std::string::npos;
         at = raw.find("\ndata: ", at + 1))
        ++n;
    return n;
}

TEST_F(WebServerTest, TheEventStreamCoalescesToTwoUpdatesASecondAndIsQuietWhenNothingHappens) {
    ASSERT_EQ(startServer(), "");
    board.publish(snapshotWithVolts(12.0));
    HttpConnection c(port);
    ASSERT_TRUE(c.send("GET /api/events HTTP/1.1\r\nHost: x\r\n\r\n"));
    const std::string first = c.readUntil("\"volts\":12", 5s);
    EXPECT_NE(first.find("text/event-stream"), std::string::npos);
    EXPECT_NE(first.find("retry: 1000"), std::string::npos);
    EXPECT_EQ(eventCount(first), 1);

    // 20 packets in one second: the stream sends at most one event per
    // half second, the latest snapshot each time.
    for (int i = 1; i <= 20; ++i) {
        board.publish(snapshotWithVolts(12.0 + i));
        std::this_thread::sleep_for(50ms);
    }
    const std::string after = c.readUntil("\"volts\":32", 5s);
    const int events = eventCount(after) - 1;
    EXPECT_GE(events, 2);
    EXPECT_LE(events, 4) << after;
    EXPECT_NE(after.find("\"volts\":32"), std::string::npos);

    // Nothing published: nothing sent.
    const std::size_t before = c.readAll(0ms).size();
    EXPECT_EQ(c.readAll(1200ms).size(), before);
    board.publish(snapshotWithVolts(14.5));
    EXPECT_NE(c.readUntil("\"volts\":14.5", 3s).find("\"volts\":14.5"), std::string::npos);
}

TEST_F(WebServerTest, EventStreamsAreCappedAndAVanishedClientFreesItsPlace) {
    WebLimits limits;
    limits.maxStreams = 2;
    limits.keepAliveMs = 200;
    ASSERT_EQ(startServer({}, limits), "");
    auto open = [&](const char* from) {
        auto c = std::make_unique<HttpConnection>(port, from);
        c->send("GET /api/events HTTP/1.1\r\nHost: x\r\n\r\n");
        return c;
    };
    auto a = open("127.0.0.1");
    auto b = open("127.0.0.2");
    EXPECT_NE(a->readUntil("data: ", 5s).find("data: "), std::string::npos);
    EXPECT_NE(b->readUntil("data: ", 5s).find("data: "), std::string::npos);
    auto refused = open("127.0.0.3");
    const auto reply = test::parseHttpReply(refused->readUntil("}", 5s));
    EXPECT_EQ(reply.status, 503);
    EXPECT_NE(reply.body.find("at most 2"), std::string::npos);

    b.reset(); // the keep-alive comment finds it gone
    bool admitted = false;
    for (int i = 0; i < 50 && !admitted; ++i) {
        std::this_thread::sleep_for(100ms);
        auto again = open("127.0.0.4");
        admitted = again->readUntil("\r\n\r\n", 2s).rfind("HTTP/1.1 200", 0) == 0;
    }
    EXPECT_TRUE(admitted);
}

TEST_F(WebServerTest, HostileClientsLeaveThePageAndLiveValuesWorkingForOthers) {
    WebLimits limits;
    limits.idleTimeoutS = 2;
    ASSERT_EQ(startServer({}, limits), "");
    board.publish(snapshotWithVolts(12.5));

    // One client opens 200 idle connections; another dribbles a request a
    // byte a second on as many as it may.
    std::vector<std::unique_ptr<HttpConnection>> idle;
    for (int i = 0; i < 200; ++i)
        idle.push_back(std::make_unique<HttpConnection>(port, "127.0.0.2"));
    std::vector<std::unique_ptr<HttpConnection>> slow;
    for (int i = 0; i < 8; ++i) {
        slow.push_back(std::make_unique<HttpConnection>(port, "127.0.0.3"));
        slow.back()->send("G");
    }
    std::atomic<bool> done{false};
    std::thread dribble([&] {
        const std::string rest = "ET / HTTP/1.1\r\nHost: x\r\n";
        for (std::size_t k = 0; k < rest.size() && !done; ++k) {
            for (auto& c : slow)
                c->send(rest.substr(k, 1));
            for (int t = 0; t < 10 && !done; ++t)
                std::this_thread::sleep_for(100ms);
        }
    });

    for (const char* target : {"/", "/assets/app.js", "/api/live"}) {
        SCOPED_TRACE(target);
        EXPECT_EQ(httpGet(port, target).status, 200);
    }
    HttpConnection stream(port);
    stream.send("GET /api/events HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_NE(stream.readUntil("\"volts\":12.5", 5s).find("\"volts\":12.5"), std::string::npos);
    board.publish(snapshotWithVolts(13.75));
    EXPECT_NE(stream.readUntil("\"volts\":13.75", 5s).find("\"volts\":13.75"), std::string::npos);

    // The idle ones that got in are closed after the idle timeout.
    int closed = 0;
    for (auto& c : idle)
        closed += c->closedByPeer(6s) ? 1 : 0;
    EXPECT_EQ(closed, 200);
    done = true;
    dribble.join();
}

TEST_F(WebServerTest, ServesOnIpv6Loopback) {
    WebSettings s{true, "::1", 0, ""};
    const std::string problem = server.start(s, dir.path(), dir.file("korvane.db"), board);
    if (problem == "::1 is not an address of this computer")
        GTEST_SKIP() << "this machine has no IPv6 loopback";
    ASSERT_EQ(problem, "");
    EXPECT_EQ(server.statusText(), "Web: http://[::1]:" + std::to_string(server.port()) + "/");
    const int fd = ::socket(AF_INET6, SOCK_STREAM, 0);
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_port = htons(static_cast<std::uint16_t>(server.port()));
    a.sin6_addr = in6addr_loopback;
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    const std::string request = "GET /api/live HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    ASSERT_EQ(::send(fd, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
    char buf[64] = {};
    ASSERT_GT(::recv(fd, buf, sizeof buf - 1, MSG_WAITALL), 12);
    EXPECT_EQ(std::string(buf).rfind("HTTP/1.1 200", 0), 0u) << buf;
    ::close(fd);
}

TEST_F(WebServerTest, StartSaysWhyItCannotListenAndStopEndsOpenStreams) {
    // A port someone else holds.
    const int other = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    ::inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
    ASSERT_EQ(::bind(other, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(other, 1), 0);
    socklen_t length = sizeof a;
    ::getsockname(other, reinterpret_cast<sockaddr*>(&a), &length);
    const int taken = ntohs(a.sin_port);

    WebSettings s;
    s.enabled = true;
    s.port = taken;
    const std::string problem = server.start(s, dir.path(), dir.file("korvane.db"), board);
    EXPECT_EQ(problem, "port " + std::to_string(taken) +
                           " is in use by another program; choose another port");
    EXPECT_EQ(server.statusText(), "Web: " + problem);
    EXPECT_FALSE(server.running());
    ::close(other);

    s.listen = "192.0.2.1";
    EXPECT_EQ(server.start(s, dir.path(), dir.file("korvane.db"), board),
              "192.0.2.1 is not an address of this computer");

    ASSERT_EQ(startServer(), "");
    EXPECT_EQ(server.statusText(), "Web: http://127.0.0.1:" + std::to_string(port) + "/");
    HttpConnection c(port);
    c.send("GET /api/events HTTP/1.1\r\nHost: x\r\n\r\n");
    ASSERT_NE(c.readUntil("data: ", 5s).find("data: "), std::string::npos);
    const auto before = std::chrono::steady_clock::now();
    server.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_TRUE(c.closedByPeer(2s));
    EXPECT_EQ(server.statusText(), "Web: off");
    EXPECT_EQ(httpGet(port, "/").status, 0);
}

} // namespace
} // namespace korvane
