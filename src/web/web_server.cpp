#include "web_server.h"

#include "api_json.h"
#include "listen_socket.h"
#include "web_routes.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <microhttpd.h>
#include <stop_token>
#include <unistd.h>

namespace korvane {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::int64_t wallClockMs() {
    return std::chrono::duration_cast<milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void quietLogger(void*, const char*, va_list) {}

} // namespace

bool sameSecret(std::string_view given, std::string_view secret) {
    unsigned diff = given.size() == secret.size() ? 0u : 1u;
    if (secret.empty())
        return given.empty();
    for (std::size_t i = 0; i < given.size(); ++i)
        diff |= static_cast<unsigned char>(given[i]) ^
                static_cast<unsigned char>(secret[i % secret.size()]);
    return diff == 0;
}

struct WebServer::Impl {
    Impl(const WebSettings& s, const std::string& appFolder, const std::string& storePath,
         const SnapshotBoard& b, const WebLimits& l)
        : settings(s), board(b), limits(l), routes(appFolder, storePath, b, wallClockMs) {}

    WebSettings settings;
    const SnapshotBoard& board;
    WebLimits limits;
    WebRoutes routes;
    MHD_Daemon* daemon = nullptr;
    int port = 0;
    std::stop_source stopping;
    std::atomic<unsigned> streams{0};

    static MHD_Result onRequest(void* cls, MHD_Connection* c, const char* url, const char* method,
                                const char*, const char*, std::size_t*, void**);
    MHD_Result answer(MHD_Connection* c, std::string_view url, std::string_view method);
    MHD_Result openStream(MHD_Connection* c);

    // One client's event stream: the next bytes to send and when it last sent.
    struct Stream {
        Impl* server = nullptr;
        std::uint64_t sentSeq = 0;
        bool started = false;
        std::string pending;
        std::size_t at = 0;
        Clock::time_point opened = Clock::now();
        Clock::time_point lastEvent{};
        Clock::time_point lastWrite{};
    };
    static ssize_t readStream(void* cls, std::uint64_t, char* buf, std::size_t max);
    static void freeStream(void* cls);
};

namespace {

void addCommonHeaders(MHD_Response* r, bool ownPage) {
    MHD_add_response_header(r, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(r, "Referrer-Policy", "no-referrer");
    if (ownPage)
        MHD_add_response_header(r, "Content-Security-Policy",
                                "default-src 'self'; style-src 'self' 'unsafe-inline'; "
                                "img-src 'self' data:; frame-ancestors 'none'");
}

MHD_Result queueReply(MHD_Connection* c, const WebReply& reply, bool ownPage) {
    MHD_Response* r = MHD_create_response_from_buffer(
        reply.body.size(), const_cast<char*>(reply.body.data()), MHD_RESPMEM_MUST_COPY);
    if (!r)
        return MHD_NO;
    if (!reply.contentType.empty())
        MHD_add_response_header(r, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.c_str());
    for (const auto& [name, value] : reply.headers)
        MHD_add_response_header(r, name.c_str(), value.c_str());
    addCommonHeaders(r, ownPage);
    const MHD_Result queued = MHD_queue_response(c, static_cast<unsigned>(reply.status), r);
    MHD_destroy_response(r);
    return queued;
}

MHD_Result collectArg(void* cls, MHD_ValueKind, const char* key, const char* value) {
    static_cast<QueryArgs*>(cls)->emplace_back(key ? key : "", value ? value : "");
    return MHD_YES;
}

MHD_Result countHeader(void* cls, MHD_ValueKind, const char* key, const char* value) {
    *static_cast<std::size_t*>(cls) +=
        (key ? std::strlen(key) : 0) + (value ? std::strlen(value) : 0) + 4;
    return MHD_YES;
}

std::string eventText(const LiveSnapshot& s) {
    return "id: " + std::to_string(s.seq) + "\ndata: " + liveJson(s, wallClockMs()) + "\n\n";
}

} // namespace

// Called on the connection's own thread whenever the socket can take more:
// it blocks until there is something to say, so a quiet stream costs no
// CPU.  Publishes wake it; it never sends twice within the stream interval,
// and says a comment line on a quiet stream so a vanished client is noticed.
// A stream ends after its lifetime, so no client holds one of the few
// places for good; the page's EventSource reconnects by itself.
ssize_t WebServer::Impl::readStream(void* cls, std::uint64_t, char* buf, std::size_t max) {
    auto* s = static_cast<Stream*>(cls);
    const WebLimits& limits = s->server->limits;
    const std::stop_token stop = s->server->stopping.get_token();
    while (s->at >= s->pending.size()) {
        s->pending.clear();
        s->at = 0;
        if (stop.stop_requested())
            return MHD_CONTENT_READER_END_OF_STREAM;
        if (!s->started) {
            const auto snap = s->server->board.current();
            s->pending = "retry: 1000\n\n" + eventText(*snap);
            s->sentSeq = snap->seq;
            s->started = true;
            s->lastEvent = s->lastWrite = Clock::now();
            break;
        }
        const auto calm = s->lastEvent + milliseconds(limits.streamIntervalMs) - Clock::now();
        if (calm > Clock::duration::zero() &&
            !s->server->board.sleepFor(std::chrono::ceil<milliseconds>(calm), stop))
            return MHD_CONTENT_READER_END_OF_STREAM;
        const auto end = s->opened + milliseconds(limits.streamLifetimeMs);
        if (Clock::now() >= end)
            return MHD_CONTENT_READER_END_OF_STREAM;
        const auto quiet =
            std::min(s->lastWrite + milliseconds(limits.keepAliveMs), end) - Clock::now();
        const auto snap = s->server->board.waitNewer(
            s->sentSeq, std::max(milliseconds(0), std::chrono::ceil<milliseconds>(quiet)), stop);
        if (stop.stop_requested())
            return MHD_CONTENT_READER_END_OF_STREAM;
        if (snap->seq > s->sentSeq) {
            s->pending = eventText(*snap);
            s->sentSeq = snap->seq;
            s->lastEvent = Clock::now();
        } else if (Clock::now() >= s->lastWrite + milliseconds(limits.keepAliveMs)) {
            s->pending = ": keep-alive\n\n";
        }
        if (!s->pending.empty())
            s->lastWrite = Clock::now();
    }
    const std::size_t n = std::min(max, s->pending.size() - s->at);
    std::memcpy(buf, s->pending.data() + s->at, n);
    s->at += n;
    return static_cast<ssize_t>(n);
}

void WebServer::Impl::freeStream(void* cls) {
    auto* s = static_cast<Stream*>(cls);
    s->server->streams.fetch_sub(1);
    delete s;
}

MHD_Result WebServer::Impl::openStream(MHD_Connection* c) {
    if (streams.fetch_add(1) >= limits.maxStreams) {
        streams.fetch_sub(1);
        return queueReply(c,
                          WebRoutes::error(503, "Too many live pages are open at once (at most " +
                                                    std::to_string(limits.maxStreams) +
                                                    "); close one and reload."),
                          true);
    }
    auto* s = new Stream;
    s->server = this;
    MHD_Response* r =
        MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 4096, readStream, s, freeStream);
    if (!r) {
        freeStream(s);
        return MHD_NO;
    }
    MHD_add_response_header(r, MHD_HTTP_HEADER_CONTENT_TYPE, "text/event-stream");
    MHD_add_response_header(r, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    addCommonHeaders(r, true);
    const MHD_Result queued = MHD_queue_response(c, MHD_HTTP_OK, r);
    MHD_destroy_response(r);
    return queued;
}

MHD_Result WebServer::Impl::onRequest(void* cls, MHD_Connection* c, const char* url,
                                      const char* method, const char*, const char*, std::size_t*,
                                      void**) {
    return static_cast<Impl*>(cls)->answer(c, url ? url : "/", method ? method : "");
}

MHD_Result WebServer::Impl::answer(MHD_Connection* c, std::string_view url,
                                   std::string_view method) {
    // Every answer is given on the first call, with the headers: no request
    // has a body worth reading, so an upload is never taken in.
    std::size_t headerBytes = url.size();
    MHD_get_connection_values(c, MHD_HEADER_KIND, countHeader, &headerBytes);
    if (headerBytes > limits.maxHeaderBytes)
        return queueReply(c,
                          WebRoutes::error(431, "The request's headers are longer than " +
                                                    std::to_string(limits.maxHeaderBytes) +
                                                    " bytes."),
                          true);
    if (method != "GET" && method != "HEAD") {
        WebReply reply = WebRoutes::error(405, "Only GET and HEAD are answered here: the "
                                               "dashboard only shows, it changes nothing.");
        reply.headers.emplace_back("Allow", "GET, HEAD");
        return queueReply(c, reply, true);
    }
    if (!settings.password.empty()) {
        char* password = nullptr;
        char* user = MHD_basic_auth_get_username_password(c, &password);
        const bool ok = user && password && sameSecret(user, kWebUser) &&
                        sameSecret(password, settings.password);
        MHD_free(user);
        MHD_free(password);
        if (!ok) {
            const WebReply reply =
                WebRoutes::error(401, "Korvane's dashboard needs its password (user korvane).");
            MHD_Response* r = MHD_create_response_from_buffer(
                reply.body.size(), const_cast<char*>(reply.body.data()), MHD_RESPMEM_MUST_COPY);
            if (!r)
                return MHD_NO;
            MHD_add_response_header(r, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.c_str());
            addCommonHeaders(r, true);
            const MHD_Result queued = MHD_queue_basic_auth_fail_response(c, "Korvane", r);
            MHD_destroy_response(r);
            return queued;
        }
    }
    if (url == "/api/events")
        return openStream(c);
    WebRequest request;
    request.path = std::string(url);
    MHD_get_connection_values(c, MHD_GET_ARGUMENT_KIND, collectArg, &request.args);
    if (const char* tag = MHD_lookup_connection_value(c, MHD_HEADER_KIND, "If-None-Match"))
        request.ifNoneMatch = tag;
    const WebReply reply = routes.handle(request);
    return queueReply(c, reply, !request.path.starts_with("/site"));
}

WebServer::WebServer() = default;

WebServer::~WebServer() {
    stop();
}

std::string WebServer::start(const WebSettings& settings, const std::string& appFolder,
                             const std::string& storePath, const SnapshotBoard& board,
                             const WebLimits& limits) {
    stop();
    if (!settings.enabled)
        return {};
    Listener l = listenOn(settings.listen, settings.port);
    if (l.fd < 0) {
        std::lock_guard lock(mutex_);
        status_ = "Web: " + l.problem;
        return l.problem;
    }
    auto impl = std::make_unique<Impl>(settings, appFolder, storePath, board, limits);
    unsigned flags = MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD |
                     MHD_USE_POLL | MHD_USE_ERROR_LOG;
    if (l.v6)
        flags |= MHD_USE_IPv6;
    impl->daemon = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &Impl::onRequest, impl.get(), MHD_OPTION_LISTEN_SOCKET, l.fd,
        MHD_OPTION_CONNECTION_LIMIT, limits.maxConnections, MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        limits.perClient, MHD_OPTION_CONNECTION_TIMEOUT, limits.idleTimeoutS,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<std::size_t>(4 * limits.maxHeaderBytes),
        MHD_OPTION_EXTERNAL_LOGGER, quietLogger, nullptr, MHD_OPTION_END);
    if (!impl->daemon) {
        ::close(l.fd);
        const std::string problem = "the web server could not start";
        std::lock_guard lock(mutex_);
        status_ = "Web: " + problem;
        return problem;
    }
    impl->port = l.port;
    std::vector<std::string> urls = dashboardUrls(settings, l.port);
    std::lock_guard lock(mutex_);
    urls_ = urls;
    status_ = "Web: " + (urls.empty() ? std::string("serving") : urls.front());
    if (!settings.password.empty())
        status_ += " (with password)";
    impl_ = std::move(impl);
    return {};
}

void WebServer::stop() {
    std::unique_ptr<Impl> impl;
    {
        std::lock_guard lock(mutex_);
        impl = std::move(impl_);
        status_ = "Web: off";
        urls_.clear();
    }
    if (!impl)
        return;
    // Streams wake from their waits first, so the library's join of the
    // connection threads does not wait out a keep-alive interval.
    impl->stopping.request_stop();
    MHD_stop_daemon(impl->daemon);
}

bool WebServer::running() const {
    std::lock_guard lock(mutex_);
    return impl_ != nullptr;
}

int WebServer::port() const {
    std::lock_guard lock(mutex_);
    return impl_ ? impl_->port : 0;
}

std::vector<std::string> WebServer::urls() const {
    std::lock_guard lock(mutex_);
    return urls_;
}

std::string WebServer::statusText() const {
    std::lock_guard lock(mutex_);
    return status_;
}

} // namespace korvane
