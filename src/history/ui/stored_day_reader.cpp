#include "stored_day_reader.h"

#include "platform/files.h"
#include "store/history_store.h"

#include <ctime>
#include <sys/stat.h>

namespace korvane {

namespace {

std::int64_t localMidnight(int year, int month, int day) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day; // mktime normalises a day past the month's end
    t.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&t));
}

} // namespace

std::optional<std::vector<StoredMinute>> readStoredDay(const std::string& appFolder, int year,
                                                       int month, int day) {
    const std::string path = joinPath(appFolder, "/korvane.db");
    // Opening creates a missing store; a window that only looks must not.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || (S_ISREG(info.st_mode) && info.st_size == 0))
        return std::nullopt;
    auto opened = HistoryStore::open(path, 0, HistoryStore::OpenCheck::Quick);
    if (!opened.result.ok())
        return std::nullopt;
    // A minute keeps the date of its first event, which a clock set at the
    // wrong moment can put beside its neighbours' start: a day either side
    // is read and the date decides.
    const std::int64_t from = localMidnight(year, month, day - 1);
    const std::int64_t to = localMidnight(year, month, day + 2) - 1;
    const auto minutes = opened.store->minutes(from, to);
    if (!minutes)
        return std::nullopt;
    const int date = year * 10000 + month * 100 + day;
    std::vector<StoredMinute> out;
    for (const MinuteSummary& m : *minutes) {
        if (m.date != date || m.packets <= 0)
            continue;
        const auto t = static_cast<std::time_t>(m.ts);
        std::tm local{};
        localtime_r(&t, &local);
        out.push_back({local.tm_hour * 60 + local.tm_min, m.volts.max, m.amps.max, m.watts.max,
                       m.rpmMax, m.windMax,
                       static_cast<std::int16_t>(m.loadOnMs >= 30000 ? 1 : 0)});
    }
    return out;
}

} // namespace korvane
