#include "web_routes.h"

#include <list>

#include "api_json.h"
#include "json_writer.h"
#include "minute_buckets.h"
#include "platform/files.h"
#include "recording/web_outputs.h"
#include "store/history_store.h"
#include "trends/days_table.h"
#include "trends/performance_index.h"
#include "trends/power_curve.h"
#include "trends/trends_reader.h"
#include "trends/turbine_config.h"
#include "trends/turbine_store.h"
#include "web_assets.h"

#include <chrono>
#include <dirent.h>
#include <langinfo.h>
#include <sys/stat.h>

namespace korvane {

namespace {

constexpr const char* kJson = "application/json";
constexpr int kDefaultDays = 30;
constexpr off_t kMaxSiteFile = 16 * 1024 * 1024;

WebReply json(std::string body) {
    WebReply r;
    r.contentType = kJson;
    r.body = std::move(body);
    r.headers.emplace_back("Cache-Control", "no-store");
    return r;
}

// A short tag of an asset's bytes, so a phone revalidates instead of
// fetching the chart library again.
std::string etagOf(std::string_view body) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : body)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char buf[24];
    std::snprintf(buf, sizeof buf, "\"%016llx\"", static_cast<unsigned long long>(h));
    return buf;
}

WebReply asset(const WebAsset& a, const std::string& ifNoneMatch) {
    WebReply r;
    const std::string tag = etagOf(a.body);
    r.headers.emplace_back("ETag", tag);
    r.headers.emplace_back("Cache-Control", "no-cache");
    if (ifNoneMatch == tag) {
        r.status = 304;
        return r;
    }
    r.contentType = std::string(a.contentType);
    r.body = std::string(a.body);
    return r;
}

// Whether this machine's texts are UTF-8, so the files Korvane writes in
// the system code page can be labelled.
bool systemIsUtf8() {
    const char* set = ::nl_langinfo(CODESET);
    return set && std::string_view(set) == "UTF-8";
}

bool isHistoryFileName(std::string_view name) {
    if (name.size() < 12 || name.substr(0, 7) != "history" ||
        name.substr(name.size() - 4) != ".txt")
        return false;
    for (const char c : name.substr(7, name.size() - 11))
        if (!((c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.'))
            return false;
    return true;
}

} // namespace

struct WebRoutes::Store {
    std::unique_ptr<HistoryStore> store; // null: no history yet, or `failure`
    std::optional<WebReply> failure;
};

std::string readOnlyStoreUri(const std::string& path) {
    std::string uri = "file:";
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '_' || c == '.' ||
                           c == '~';
        if (plain) {
            uri += c;
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", u);
            uri += buf;
        }
    }
    return uri + "?mode=ro";
}

WebRoutes::WebRoutes(std::string appFolder, std::string storePath, const SnapshotBoard& board,
                     std::function<std::int64_t()> nowUtcMs)
    : appFolder_(std::move(appFolder)), storePath_(std::move(storePath)), board_(board),
      now_(std::move(nowUtcMs)) {}

WebRoutes::~WebRoutes() = default;

WebReply WebRoutes::error(int status, std::string_view message, std::string_view parameter) {
    WebReply r = json(errorJson(message, parameter));
    r.status = status;
    return r;
}

int WebRoutes::today() const {
    return localDateOf(now_() / 1000);
}

WebRoutes::Store WebRoutes::openStore() const {
    // A fresh read-only connection per query: it never creates the file,
    // and a store the writer set aside and replaced is seen at once.
    struct stat info {};
    if (::stat(storePath_.c_str(), &info) != 0 || (S_ISREG(info.st_mode) && info.st_size == 0))
        return {};
    auto opened =
        HistoryStore::open(readOnlyStoreUri(storePath_), 0, HistoryStore::OpenCheck::Quick);
    if (!opened.result.ok())
        return {nullptr, error(503, "Cannot read the history store (" + storePath_ +
                                        "): " + opened.result.text)};
    return {std::move(opened.store), std::nullopt};
}

WebReply WebRoutes::handle(const WebRequest& r) const {
    const std::string_view p = r.path;
    if (p == "/" || p == "/index.html" || p == "/trends" || p == "/alarms")
        return asset(*findWebAsset("/index.html"), r.ifNoneMatch);
    if (p.starts_with("/assets/")) {
        if (const WebAsset* a = findWebAsset(p))
            return asset(*a, r.ifNoneMatch);
    } else if (p == "/api/live") {
        return json(liveJson(*board_.current(), now_()));
    } else if (p == "/api/minutes") {
        return minutes(r);
    } else if (p == "/api/days") {
        return days(r, false);
    } else if (p == "/api/days.csv") {
        return days(r, true);
    } else if (p == "/api/power-curve") {
        return powerCurve(r);
    } else if (p == "/api/alarms") {
        return alarms(r);
    } else if (p == "/site" || p.starts_with("/site/")) {
        return site(p.size() > 6 ? p.substr(6) : std::string_view());
    }
    return error(404, "There is nothing at " + std::string(p.substr(0, 200)) + ".");
}

namespace {

// The range of an API call, or the reply that refuses it.
template <typename F> WebReply withRange(const WebRequest& r, DateRange defaults, F&& answer) {
    auto range = readDateRange(r.args, defaults);
    if (auto* e = std::get_if<ParamError>(&range))
        return WebRoutes::error(400, e->message, e->parameter);
    return answer(std::get<DateRange>(range));
}

WebReply storeFailed(const HistoryStore& store, const std::string& path) {
    return WebRoutes::error(503, "Cannot read the history store (" + path +
                                     "): " + store.lastError().text);
}

} // namespace

WebReply WebRoutes::minutes(const WebRequest& r) const {
    const int t = today();
    return withRange(r, {t, t}, [&](DateRange range) {
        const std::int64_t fromTs = localDayStartUtc(range.from);
        const std::int64_t toTs = localDayStartUtc(addDays(range.to, 1)) - 1;
        MinuteBuckets buckets(fromTs, toTs);
        std::lock_guard slot(queries_);
        Store s = openStore();
        if (s.failure)
            return *s.failure;
        // A day at a time, so ten years never sit in memory at once.
        if (s.store)
            for (int date = range.from; date <= range.to; date = addDays(date, 1)) {
                const auto rows = s.store->minutes(localDayStartUtc(date),
                                                   localDayStartUtc(addDays(date, 1)) - 1);
                if (!rows)
                    return storeFailed(*s.store, storePath_);
                for (const MinuteSummary& m : *rows)
                    buckets.add(m);
            }
        const std::int64_t added = buckets.minutesAdded();
        const std::int64_t width = buckets.bucketSeconds();
        return json(minutesJson(range, buckets.finish(), width, added));
    });
}

WebReply WebRoutes::days(const WebRequest& r, bool csv) const {
    const int t = today();
    return withRange(r, {addDays(t, 1 - kDefaultDays), t}, [&](DateRange range) {
        std::vector<DayTotal> rows;
        {
            std::lock_guard slot(queries_);
            Store s = openStore();
            if (s.failure)
                return *s.failure;
            if (s.store) {
                auto read = s.store->dayTotals(range.from, range.to);
                if (!read)
                    return storeFailed(*s.store, storePath_);
                rows = std::move(*read);
            }
        }
        if (!csv)
            return json(daysJson(range, rows));
        WebReply reply;
        reply.contentType = "text/csv; charset=utf-8";
        // The turbine's index of each day, as the Trends window's CSV has it.
        std::list<std::vector<TurbineMinute>> read; // the reference's and the range's
        const TurbineSettings turbine = turbineSettings(loadTurbineConfig(appFolder_));
        const auto indexes = indexesOfDays(
            turbine, range, rows, [&](DateRange span) -> const std::vector<TurbineMinute>* {
                std::lock_guard slot(queries_);
                auto minutes = readTurbineMinutes(storePath_, span);
                if (!minutes)
                    return nullptr;
                return &read.emplace_back(std::move(*minutes));
            });
        reply.body = daysCsv(rows, board_.current()->windUnits, indexes);
        reply.headers.emplace_back("Content-Disposition", "attachment; filename=\"korvane-days-" +
                                                              isoDate(range.from) + "-" +
                                                              isoDate(range.to) + ".csv\"");
        return reply;
    });
}

WebReply WebRoutes::powerCurve(const WebRequest& r) const {
    auto bin = readBinWidth(r.args);
    if (auto* e = std::get_if<ParamError>(&bin))
        return error(400, e->message, e->parameter);
    const double width = std::get<double>(bin);
    const int t = today();
    return withRange(r, {addDays(t, 1 - kDefaultDays), t}, [&](DateRange range) {
        std::vector<WindPowerPoint> points;
        {
            std::lock_guard slot(queries_);
            Store s = openStore();
            if (s.failure)
                return *s.failure;
            if (s.store) {
                auto read = s.store->windPowerPoints(range.from, range.to);
                if (!read)
                    return storeFailed(*s.store, storePath_);
                points = std::move(*read);
            }
        }
        // The same thinning as the Trends window's scatter at its size.
        const auto scatter = thinScatter(points, 160, 100);
        return json(powerCurveJson(range, width, binPowerCurve(points, width), scatter,
                                   static_cast<std::int64_t>(points.size()),
                                   board_.current()->windUnits));
    });
}

WebReply WebRoutes::alarms(const WebRequest& r) const {
    const int t = today();
    return withRange(r, {addDays(t, 1 - kDefaultDays), t}, [&](DateRange range) {
        std::vector<AlarmEventRow> events;
        {
            std::lock_guard slot(queries_);
            Store s = openStore();
            if (s.failure)
                return *s.failure;
            if (s.store) {
                auto read = s.store->alarmEvents(localDayStartUtc(range.from),
                                                 localDayStartUtc(addDays(range.to, 1)) - 1);
                if (!read)
                    return storeFailed(*s.store, storePath_);
                events = std::move(*read);
            }
        }
        return json(alarmsJson(range, events, board_.current()->windUnits));
    });
}

WebReply WebRoutes::site(std::string_view name) const {
    // The URL only picks from what html/ holds: the page and the history
    // files, found by listing the folder, so no part of it reaches a path.
    const std::string folder = joinPath(appFolder_, kHtmlFolder);
    std::string file;
    if (name.empty() || name == "log.asp") {
        file = "log.asp";
    } else if (DIR* dir = ::opendir(folder.c_str())) {
        const bool newest = name == "history.txt";
        time_t newestTime = 0;
        while (const dirent* e = ::readdir(dir)) {
            const std::string_view entry = e->d_name;
            if (!isHistoryFileName(entry))
                continue;
            struct stat info {};
            if (newest && ::stat((folder + "/" + std::string(entry)).c_str(), &info) == 0 &&
                info.st_mtime >= newestTime) {
                newestTime = info.st_mtime;
                file = entry;
            } else if (!newest && entry == name) {
                file = entry;
            }
        }
        ::closedir(dir);
    }
    if (file.empty())
        return error(404, "Korvane's web page has no file " + std::string(name.substr(0, 80)) +
                              " (it serves log.asp and the history files of html/).");
    const std::string path = folder + "/" + file;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxSiteFile)
        return error(404, file + " has not been written yet: turn on \"Save HTML page?\" in "
                                 "Program Setup and start logging.");
    auto text = readWholeFile(path);
    if (!text)
        return error(503, file + " cannot be read just now.");
    WebReply reply;
    const std::string charset = systemIsUtf8() ? "; charset=utf-8" : "";
    reply.contentType = (file == "log.asp" ? "text/html" : "text/plain") + charset;
    reply.body = std::move(*text);
    reply.headers.emplace_back("Cache-Control", "no-store");
    return reply;
}

const WebAsset* findWebAsset(std::string_view path) {
    for (std::size_t i = 0; i < kWebAssetCount; ++i)
        if (kWebAssets[i].path == path)
            return &kWebAssets[i];
    return nullptr;
}

} // namespace korvane
