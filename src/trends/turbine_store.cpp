#include "turbine_store.h"

#include "performance_index.h"
#include "platform/files.h"
#include "store/history_store.h"
#include "store/sqlite_handle.h"
#include "trends_reader.h"

#include <ctime>
#include <sqlite3.h>
#include <sys/stat.h>

namespace korvane {

namespace {

int localDateOf(std::int64_t utcSeconds) {
    const auto t = static_cast<std::time_t>(utcSeconds);
    std::tm local{};
    localtime_r(&t, &local);
    return dateNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

bool storeExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !(S_ISREG(info.st_mode) && info.st_size == 0);
}

} // namespace

std::optional<std::vector<TurbineMinute>>
readTurbineMinutes(const std::string& storePath, DateRange range, std::string* problem) {
    const auto fail = [&](const std::string& why) -> std::optional<std::vector<TurbineMinute>> {
        if (problem)
            *problem = "Cannot read the history store (" + storePath + "): " + why + ".";
        return std::nullopt;
    };
    if (!storeExists(storePath))
        return fail("there is no such file");
    // Read-write without create: a read-only connection could not make the
    // shared-memory file a WAL store needs when Korvane is not running.
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(storePath.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Database db(raw);
    if (rc != SQLITE_OK)
        return fail(raw ? db.errorText() : "cannot open it");
    sqlite3_busy_timeout(db.get(), HistoryStore::kBusyTimeoutMs);
    // The `minutes` view is the store's published form; only the columns
    // the estimate needs are read, which is most of the time a year takes.
    Statement s(db, "SELECT ts, wind_mean, watts_mean, volts_mean, load_on_s FROM minutes "
                    "WHERE ts >= ?1 AND ts < ?2 AND packets > 0 ORDER BY ts");
    if (!s.ready())
        return fail(db.errorText());
    s.bind(1, localDayStartUtc(range.from));
    s.bind(2, localDayStartUtc(addDays(range.to, 1)));
    std::vector<TurbineMinute> out;
    int date = 0;
    std::int64_t dateEnd = 0;
    int step = SQLITE_OK;
    while ((step = s.step()) == SQLITE_ROW) {
        const std::int64_t ts = s.int64At(0);
        // One local-time conversion a day rather than one a minute.
        if (date == 0 || ts >= dateEnd) {
            date = localDateOf(ts);
            dateEnd = localDayStartUtc(addDays(date, 1));
        }
        out.push_back({date, static_cast<float>(s.doubleAt(1)), static_cast<float>(s.doubleAt(2)),
                       static_cast<float>(s.doubleAt(3)), static_cast<float>(s.doubleAt(4))});
    }
    if (step != SQLITE_DONE)
        return fail(db.errorText());
    return out;
}

std::optional<double> sevenDayOutputIndex(const std::string& storePath, const TurbineConfig& config,
                                          const LocalDateTime& now) {
    const TurbineSettings turbine = turbineSettings(config);
    const int today = dateNumber(now.year, now.month, now.day);
    std::vector<TurbineMinute> reference;
    if (turbine.maker.size() < 2 && turbine.reference) {
        auto read = readTurbineMinutes(storePath, *turbine.reference);
        if (!read)
            return std::nullopt;
        reference = std::move(*read);
    }
    const std::optional<Yardstick> yardstick = yardstickFor(turbine, reference);
    if (!yardstick)
        return std::nullopt;
    const auto week = readTurbineMinutes(storePath, {addDays(today, -6), today});
    if (!week)
        return std::nullopt;
    return periodIndex(*week, turbine, *yardstick);
}

std::function<std::optional<double>()> sevenDayOutputIndexSource(std::string appFolder,
                                                                 const Clock& clock) {
    return [folder = std::move(appFolder), &clock]() {
        return sevenDayOutputIndex(joinPath(folder, "/korvane.db"), loadTurbineConfig(folder),
                                   clock.now());
    };
}

} // namespace korvane
