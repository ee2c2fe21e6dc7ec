// What publishing costs the window while the broker is away: the longest
// the event loop is held up while a refused port is retried and while a
// silent one is waited for, the CPU the retries take, and how long
// exiting() takes with records waiting and no connection.  The broker tests
// only bound these loosely, for a busy machine; the figures are here.
//   build/bench/publish_bench

#include "platform/clock.h"
#include "platform/files.h"
#include "publish/mqtt_config.h"
#include "publish/qt/publisher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace korvane;

double cpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The longest gap between the beats of a 10 ms timer while the loop runs for `ms`.
qint64 longestStall(int ms) {
    QElapsedTimer since;
    qint64 longest = 0;
    QTimer beat;
    beat.setInterval(10);
    QObject::connect(&beat, &QTimer::timeout,
                     [&] { longest = std::max(longest, since.restart()); });
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    since.start();
    beat.start();
    loop.exec();
    return longest;
}

// A listening socket on 127.0.0.1: `silent` accepts connections (the kernel
// completes them) and never answers; otherwise it is closed at once, so the
// port refuses.
struct Port {
    explicit Port(bool silent) {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        number = ntohs(a.sin_port);
        if (silent) {
            ::listen(fd, 16);
        } else {
            ::close(fd);
            fd = -1;
        }
    }
    ~Port() {
        if (fd >= 0)
            ::close(fd);
    }
    int fd = -1;
    int number = 0;
};

struct Folder {
    Folder() {
        char name[] = "/tmp/korvane-publish-bench-XXXXXX";
        path = ::mkdtemp(name);
    }
    ~Folder() {
        ::unlink((path + "/mqtt.cfg").c_str());
        ::rmdir(path.c_str());
    }
    std::string path;
};

std::unique_ptr<Publisher> publisher(const Folder& folder, const Clock& clock, int port,
                                     int retryMs, int connectTimeoutMs) {
    MqttConfig c = defaultMqttConfig("bench");
    c.Enabled = "1";
    c.Host = "127.0.0.1";
    c.Port = std::to_string(port);
    c.Discovery = "0";
    saveMqttConfig(folder.path, c);
    PublisherSetup s;
    s.appFolder = folder.path;
    s.clock = &clock;
    s.outbox = std::make_unique<MemoryOutboxStorage>();
    s.hostName = "bench";
    s.firstRetryMs = retryMs;
    s.maxRetryMs = retryMs;
    s.connectTimeoutMs = connectTimeoutMs;
    return std::make_unique<Publisher>(std::move(s));
}

// A retry every second against a port that refuses, for 3 s.
void RefusedRetries(benchmark::State& state) {
    for (auto _ : state) {
        Folder folder;
        const FakeClock clock(LocalDateTime{2026, 12, 8, 14, 5, 0, 0});
        const Port refused(false);
        auto p = publisher(folder, clock, refused.number, 1000, 10000);
        const double before = cpuSeconds();
        state.counters["longest_stall_ms"] = static_cast<double>(longestStall(3000));
        state.counters["cpu_ms"] = (cpuSeconds() - before) * 1000;
    }
}
BENCHMARK(RefusedRetries)->Iterations(1)->Unit(benchmark::kMillisecond);

// A broker that accepts and never answers, past the 0.5 s connect time-out.
void SilentBroker(benchmark::State& state) {
    for (auto _ : state) {
        Folder folder;
        const FakeClock clock(LocalDateTime{2026, 12, 8, 14, 5, 0, 0});
        const Port silent(true);
        auto p = publisher(folder, clock, silent.number, 5000, 500);
        state.counters["longest_stall_ms"] = static_cast<double>(longestStall(1500));
    }
}
BENCHMARK(SilentBroker)->Iterations(1)->Unit(benchmark::kMillisecond);

// exiting() with 100 records waiting and no connection.
void ExitWithRecordsWaiting(benchmark::State& state) {
    Folder folder;
    FakeClock clock(LocalDateTime{2026, 12, 8, 14, 5, 0, 0});
    const Port silent(true);
    for (auto _ : state) {
        state.PauseTiming();
        auto p = publisher(folder, clock, silent.number, 5000, 500);
        const LiveTime when{clock.now(), clock.utcMs(), "2026_12_8"};
        for (int i = 0; i < 100; ++i)
            p->recordLogged({{12.5, 1, 12.5, 100, 5}, 1, 14, i % 60, "2026_12_8"}, when);
        state.ResumeTiming();
        p->exiting(when);
        state.PauseTiming();
        p.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(ExitWithRecordsWaiting)->Iterations(20)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
