// The dashboard's answers over a year of simulated minutes: /api/live, a
// day of minutes, a year of days and 30 days of minutes thinned to the point
// budget, each through the routes (a fresh read-only store connection per
// query, as the server makes it), and /api/live through the real server
// over a loopback socket.

#include "platform/files.h"
#include "simulated_store.h"
#include "web/web_routes.h"
#include "web/web_server.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace korvane;
namespace fs = std::filesystem;

// An app folder holding a year's store; with KORVANE_WEB_BENCH_DIR set that
// folder is used and kept, so the year is generated only once.
const std::string& yearFolder() {
    static const std::string folder = [] {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        fs::path dir;
        if (const char* kept = std::getenv("KORVANE_WEB_BENCH_DIR")) {
            dir = kept;
        } else {
            dir = fs::temp_directory_path() / ("korvane-web-bench-" + std::to_string(::getpid()));
            std::atexit([] { fs::remove_all(yearFolder()); });
        }
        fs::create_directories(dir);
        if (!fs::exists(dir / "korvane.db"))
            sim::writeSimulatedStore((dir / "korvane.db").string(), {20260101, 365, 7});
        return dir.string();
    }();
    return folder;
}

LiveSnapshot liveSnapshot() {
    LiveSnapshot s;
    s.hasData = true;
    s.volts = 13.52;
    s.amps = 4.1;
    s.watts = 55.43;
    s.rpm = 350.5;
    s.wind = 12.3;
    s.mode = 1;
    s.wattHoursToday = 1234.5;
    s.dayKey = "2026_12_9";
    s.lastPacketUtcMs = 1796824800250;
    s.takenUtcMs = 1796824800300;
    s.portState = "Port 1: /dev/serial/by-id/usb-FTDI_FT232R-if00-port0 (open)";
    s.portOpen = true;
    s.alarms = {"Battery low: 11.42 V since 14:05"};
    s.windUnits = "km/h";
    s.outputIndex7d = 93.5;
    s.version = "0.1.0";
    return s;
}

struct Fixture {
    SnapshotBoard board;
    WebRoutes routes{yearFolder(), yearFolder() + "/korvane.db", board,
                     [] { return std::int64_t{1796824801000}; }};
    Fixture() { board.publish(liveSnapshot()); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void answer(benchmark::State& state, const char* path, QueryArgs args) {
    Fixture& f = fixture();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const WebReply r = f.routes.handle({path, args, {}});
        if (r.status != 200)
            state.SkipWithError(r.body.c_str());
        bytes = r.body.size();
        benchmark::DoNotOptimize(r.body.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_LiveJson(benchmark::State& state) {
    answer(state, "/api/live", {});
}
BENCHMARK(BM_LiveJson)->Unit(benchmark::kMicrosecond);

void BM_DayOfMinutesJson(benchmark::State& state) {
    answer(state, "/api/minutes", {{"from", "2026-06-15"}, {"to", "2026-06-15"}});
}
BENCHMARK(BM_DayOfMinutesJson)->Unit(benchmark::kMillisecond);

void BM_YearOfDaysJson(benchmark::State& state) {
    answer(state, "/api/days", {{"from", "2026-01-01"}, {"to", "2026-12-31"}});
}
BENCHMARK(BM_YearOfDaysJson)->Unit(benchmark::kMillisecond);

void BM_ThirtyDaysOfMinutesThinned(benchmark::State& state) {
    answer(state, "/api/minutes", {{"from", "2026-06-01"}, {"to", "2026-06-30"}});
}
BENCHMARK(BM_ThirtyDaysOfMinutesThinned)->Unit(benchmark::kMillisecond);

void BM_PowerCurveOfAYear(benchmark::State& state) {
    answer(state, "/api/power-curve", {{"from", "2026-01-01"}, {"to", "2026-12-31"}});
}
BENCHMARK(BM_PowerCurveOfAYear)->Unit(benchmark::kMillisecond);

// GET /api/live on a new connection to the running server, reply read whole.
void BM_LiveOverHttp(benchmark::State& state) {
    Fixture& f = fixture();
    WebServer server;
    const std::string problem = server.start({true, "127.0.0.1", 0, ""}, yearFolder(),
                                             yearFolder() + "/korvane.db", f.board);
    if (!problem.empty()) {
        state.SkipWithError(problem.c_str());
        return;
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(server.port()));
    ::inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
    const std::string request = "GET /api/live HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    char buf[8192];
    for (auto _ : state) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::send(fd, request.data(), request.size(), 0);
        while (::recv(fd, buf, sizeof buf, 0) > 0) {
        }
        ::close(fd);
    }
}
BENCHMARK(BM_LiveOverHttp)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
