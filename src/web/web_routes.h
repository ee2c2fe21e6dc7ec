#pragma once
// What the dashboard answers to each GET: its pages and files, the JSON API
// over the live snapshot and the history store, and the web page Korvane
// writes.  Plain values in and out, so every answer is tested without a
// socket; the event stream lives in the server.

#include "live_snapshot.h"
#include "query_params.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace korvane {

class HistoryStore;

struct WebRequest {
    std::string path;        // "/api/days", without the query
    QueryArgs args;          // decoded query arguments
    std::string ifNoneMatch; // the If-None-Match header, "" when absent
};

struct WebReply {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

class WebRoutes {
public:
    // `storePath` is korvane.db; it is opened read-only, afresh for each
    // query, and never created.  `nowUtcMs` is the wall clock.
    WebRoutes(std::string appFolder, std::string storePath, const SnapshotBoard& board,
              std::function<std::int64_t()> nowUtcMs);
    ~WebRoutes();

    WebReply handle(const WebRequest& request) const;

    // The reply for a failed request: JSON {"schema":1,"error":...}.
    static WebReply error(int status, std::string_view message, std::string_view parameter = {});

private:
    struct Store;
    Store openStore() const;
    WebReply minutes(const WebRequest& r) const;
    WebReply days(const WebRequest& r, bool csv) const;
    WebReply powerCurve(const WebRequest& r) const;
    WebReply alarms(const WebRequest& r) const;
    WebReply site(std::string_view name) const;
    int today() const;

    std::string appFolder_;
    std::string storePath_;
    const SnapshotBoard& board_;
    std::function<std::int64_t()> now_;
    // One store query at a time: a client asking for ten years in a loop
    // then keeps one core busy at most, and the station has the other.
    mutable std::mutex queries_;
};

// "file:/path/korvane.db?mode=ro", with the path percent-encoded.
std::string readOnlyStoreUri(const std::string& path);

} // namespace korvane
