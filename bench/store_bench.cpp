// History store: the per-packet cost of summing a minute, the minute commit
// beside a bare write + fdatasync on the same disk, and the queries, size
// and log import of a year of data made by the board model.

#include "board_model.h"
#include "platform/files.h"
#include "platform/numbers.h"
#include "recording/log_record.h"
#include "store/day_date.h"
#include "store/history_store.h"
#include "store/log_importer.h"
#include "store/minute_aggregator.h"

#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <linux/magic.h>
#include <memory>
#include <sys/statfs.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace korvane;
namespace fs = std::filesystem;

constexpr std::int64_t kYearStart = 1767225600; // 2026-01-01 00:00 UTC
constexpr int kDays = 365;
constexpr int kMinutes = kDays * 1440;

// A folder on a real disk: the temp folder unless it is tmpfs, where an
// fsync costs nothing and the commit figure would flatter.  With
// KORVANE_STORE_BENCH_DIR set, that folder is used and kept, and the year of
// minutes and logs generated there is reused by the next run.
//
// The folder owns its removal: a clean-up registered with atexit while the
// path was being made ran after the path's destructor and read a dead string.
class BenchFolder {
public:
    BenchFolder() {
        if (const char* kept = std::getenv("KORVANE_STORE_BENCH_DIR")) {
            path_ = kept;
            fs::create_directories(path_);
            return;
        }
        fs::path base = fs::temp_directory_path();
        struct statfs info {};
        if (::statfs(base.c_str(), &info) == 0 && info.f_type == TMPFS_MAGIC)
            base = fs::current_path();
        path_ = base / ("korvane-store-bench-" + std::to_string(::getpid()));
        fs::create_directories(path_);
        remove_ = true;
    }
    ~BenchFolder() {
        std::error_code ec;
        if (remove_)
            fs::remove_all(path_, ec);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
    bool remove_ = false;
};

const fs::path& benchFolder() {
    static const BenchFolder folder;
    return folder.path();
}

// A reading as the default calibration decodes the model's raw sample.
Reading readingOf(const sim::RawSample& s) {
    Reading r;
    r.volts = static_cast<double>(s.v) / 40.0;
    r.amps = static_cast<double>(s.i - 100) / 20.0;
    r.watts = std::round(r.volts * r.amps * 100) / 100;
    r.rpm = static_cast<double>(s.r) * 5;
    r.windSpeed = static_cast<double>(s.s) / 2;
    r.mode = static_cast<std::int16_t>(s.m);
    return r;
}

// A year of minutes: the model stepped every 10 s, six packets a minute,
// energy reported every 5 s, summed up by the aggregator.
const std::vector<MinuteSummary>& yearOfMinutes() {
    static const std::vector<MinuteSummary> minutes = [] {
        std::vector<MinuteSummary> out;
        out.reserve(kMinutes);
        sim::BoardModel model(7);
        MinuteAggregator agg;
        for (std::int64_t t = kYearStart * 1000; t < (kYearStart + kMinutes * 60LL) * 1000;
             t += 5000) {
            const std::string day = dayKeyOfDate(utcDateOf(t / 1000));
            if (t % 10000 == 0) {
                const Reading r = readingOf(model.step(10));
                if (auto m = agg.packet(r, t, day))
                    out.push_back(*m);
                if (auto m = agg.energy(std::max(0.0, r.watts) * 5 / 3600, t, day))
                    out.push_back(*m);
            } else if (auto m = agg.energy(0.01, t, day)) {
                out.push_back(*m);
            }
        }
        if (auto m = agg.close((kYearStart + kMinutes * 60LL) * 1000))
            out.push_back(*m);
        return out;
    }();
    return minutes;
}

// A store holding the year, built once.
const std::string& yearStorePath() {
    static const std::string path = [] {
        const std::string p = (benchFolder() / "year.db").string();
        if (fs::exists(p))
            return p;
        auto opened = HistoryStore::open(p, 20261231);
        const auto& minutes = yearOfMinutes();
        for (std::size_t at = 0; at < minutes.size(); at += 1440)
            opened.store->commitMinutes(
                std::span(minutes).subspan(at, std::min<std::size_t>(1440, minutes.size() - at)));
        return p;
    }();
    return path;
}

HistoryStore& yearStore() {
    static auto store = HistoryStore::open(yearStorePath(), 20261231).store;
    return *store;
}

void AggregatePacket(benchmark::State& state) {
    sim::BoardModel model(3);
    std::vector<Reading> readings;
    for (int k = 0; k < 3600; ++k)
        readings.push_back(readingOf(model.step(1)));
    MinuteAggregator agg;
    const std::string day = "2026_12_8";
    std::int64_t t = kYearStart * 1000;
    std::size_t k = 0;
    for (auto _ : state) {
        auto ended = agg.packet(readings[k], t, day);
        benchmark::DoNotOptimize(ended);
        t += 1000; // one packet a second: a minute ends every 60
        k = k + 1 == readings.size() ? 0 : k + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(AggregatePacket);

void CommitMinute(benchmark::State& state) {
    const std::string path = (benchFolder() / "commit.db").string();
    auto store = HistoryStore::open(path, 20261208).store;
    MinuteSummary m = yearOfMinutes()[600];
    for (auto _ : state) {
        m.ts += 60;
        m.date = utcDateOf(m.ts); // a day holds 1,440 minutes, as in use
        const StoreResult r = store->commitMinutes(std::array{m});
        if (!r.ok())
            state.SkipWithError(r.text.c_str());
    }
}
BENCHMARK(CommitMinute)->Unit(benchmark::kMillisecond)->MinTime(2);

// The floor under any durable commit: one page written and fdatasync'd.
// Arg 1 appends (the file grows, as a WAL does until its first checkpoint);
// arg 0 rewrites the same page (as a WAL does once it is reused).
void BareWriteAndFdatasync(benchmark::State& state) {
    const std::string path = (benchFolder() / "bare.bin").string();
    fs::remove(path);
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    const bool append = state.range(0) == 1;
    std::array<char, 4096> page{};
    off_t at = 0;
    for (auto _ : state) {
        if (::pwrite(fd, page.data(), page.size(), at) != static_cast<ssize_t>(page.size()) ||
            ::fdatasync(fd) != 0)
            state.SkipWithError("write failed");
        if (append)
            at += 4096;
    }
    ::close(fd);
}
BENCHMARK(BareWriteAndFdatasync)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2);

// The disk here is shared and its sync time wanders by a factor of ten
// between runs, so the ratio is taken from commits and bare syncs taken in
// turn within one run.
void CommitBesideBareFdatasync(benchmark::State& state) {
    const std::string path = (benchFolder() / "paired.db").string();
    auto store = HistoryStore::open(path, 20261208).store;
    const std::string bare = (benchFolder() / "paired.bin").string();
    const int fd = ::open(bare.c_str(), O_CREAT | O_WRONLY, 0644);
    std::array<char, 4096> page{};
    MinuteSummary m = yearOfMinutes()[600];
    using Clock = std::chrono::steady_clock;
    Clock::duration commit{}, sync{};
    for (auto _ : state) {
        m.ts += 60;
        m.date = utcDateOf(m.ts); // a day holds 1,440 minutes, as in use
        const auto t0 = Clock::now();
        store->commitMinutes(std::array{m});
        const auto t1 = Clock::now();
        if (::pwrite(fd, page.data(), page.size(), 0) != static_cast<ssize_t>(page.size()) ||
            ::fdatasync(fd) != 0)
            state.SkipWithError("write failed");
        const auto t2 = Clock::now();
        commit += t1 - t0;
        sync += t2 - t1;
    }
    ::close(fd);
    const auto n = static_cast<double>(state.iterations());
    const auto ms = [&](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count() / n;
    };
    state.counters["commit_ms"] = ms(commit);
    state.counters["bare_sync_ms"] = ms(sync);
    state.counters["ratio"] = ms(commit) / ms(sync);
}
BENCHMARK(CommitBesideBareFdatasync)->Unit(benchmark::kMillisecond)->MinTime(3);

void YearFileSize(benchmark::State& state) {
    const std::string& path = yearStorePath();
    HistoryStore& store = yearStore();
    benchmark::DoNotOptimize(store.energyOfDate(20260601));
    for (auto _ : state) {
        auto opened = HistoryStore::open(path, 20261231);
        benchmark::DoNotOptimize(opened);
    }
    // The WAL counts too: it holds the pages not yet checkpointed.
    std::error_code ec, walEc;
    const auto wal = fs::file_size(path + "-wal", walEc);
    const auto bytes = static_cast<double>(fs::file_size(path, ec) + (walEc ? 0 : wal));
    state.counters["MB"] = bytes / 1e6;
    state.counters["bytes/minute"] = bytes / kMinutes;
    state.SetLabel("iteration = open with quick_check");
}
BENCHMARK(YearFileSize)->Unit(benchmark::kMillisecond);

void DailyTotalsOfAYear(benchmark::State& state) {
    HistoryStore& store = yearStore();
    for (auto _ : state) {
        auto days = store.dayTotals(20260101, 20261231);
        if (!days || days->size() != kDays)
            state.SkipWithError("wrong day count");
        benchmark::DoNotOptimize(days);
    }
}
BENCHMARK(DailyTotalsOfAYear)->Unit(benchmark::kMillisecond);

void WindBinsOfAYear(benchmark::State& state) {
    HistoryStore& store = yearStore();
    for (auto _ : state) {
        auto bins = store.windBins(20260101, 20261231, 0.5);
        benchmark::DoNotOptimize(bins);
    }
    state.SetItemsProcessed(state.iterations() * kMinutes);
}
BENCHMARK(WindBinsOfAYear)->Unit(benchmark::kMillisecond);

void WindScatterOfAYear(benchmark::State& state) {
    HistoryStore& store = yearStore();
    for (auto _ : state) {
        auto points = store.windPowerPoints(20260101, 20261231);
        benchmark::DoNotOptimize(points);
    }
    state.SetItemsProcessed(state.iterations() * kMinutes);
}
BENCHMARK(WindScatterOfAYear)->Unit(benchmark::kMillisecond);

// A year of 10-second logs, 8,640 records a day, written once.
const fs::path& yearOfLogs() {
    static const fs::path folder = [] {
        const fs::path app = benchFolder() / "app";
        if (fs::exists(app / "logs" / "2026_12_31.txt"))
            return app;
        fs::create_directories(app / "logs");
        sim::BoardModel model(11);
        const NumberFormat point{'.'};
        std::string text;
        for (int d = 0; d < kDays; ++d) {
            text.clear();
            for (int k = 0; k < 8640; ++k) {
                const Reading r = readingOf(model.step(10));
                const IntervalPeaks peaks{r.volts, r.amps, r.watts, r.rpm, r.windSpeed};
                text += formatLogRecord(peaks, r.mode, k / 360, k / 6 % 60, point);
            }
            const int date = utcDateOf(kYearStart + d * 86400LL);
            replaceFileAtomically((app / "logs" / (dayKeyOfDate(date) + ".txt")).string(), text);
        }
        return app;
    }();
    return folder;
}

// Reading and parsing the logs alone: the floor under the import.
void ParseYearOfLogs(benchmark::State& state) {
    const fs::path& app = yearOfLogs();
    const NumberFormat point{'.'};
    std::size_t records = 0;
    for (auto _ : state) {
        for (const auto& e : fs::directory_iterator(app / "logs"))
            records += readLogRecords(*readWholeFile(e.path().string()), point).size();
    }
    state.counters["records"] = static_cast<double>(records / state.iterations());
}
BENCHMARK(ParseYearOfLogs)->Unit(benchmark::kSecond)->Iterations(1);

void ImportYearOfLogs(benchmark::State& state) {
    const fs::path& app = yearOfLogs();
    const std::string path = (benchFolder() / "import.db").string();
    std::int64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(path);
        auto store = HistoryStore::open(path, 20261231).store;
        store->setCommitsSynced(false); // as the import runner does
        state.ResumeTiming();
        LogImporter importer(*store, app.string(), NumberFormat{'.'}, 20270101);
        while (importer.step() == ImportStep::Imported) {
        }
        if (importer.progress().filesDone != kDays)
            state.SkipWithError(importer.problem().c_str());
        bytes = importer.progress().bytesTotal;
    }
    state.counters["log MB"] = static_cast<double>(bytes) / 1e6;
    std::error_code ec;
    state.counters["store MB"] = static_cast<double>(fs::file_size(path, ec)) / 1e6;
}
BENCHMARK(ImportYearOfLogs)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
