#pragma once
// What the broker tests share: a folder with mqtt.cfg, a fake clock for the
// message times and the event loop spun until something happened.

#include "publish/mqtt_config.h"
#include "publish/qt/publisher.h"
#include "recording/log_record.h"
#include "support/temp_dir.h"
#include "test_broker.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <sys/resource.h>

namespace korvane::test {

// The process's CPU time so far, user and system, in seconds.
inline double cpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The longest gap (ms) between the beats of a 10 ms timer while the event
// loop runs until `done` or for at most `limitMs`.
inline qint64 longestStallUntil(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer since;
    qint64 longest = 0;
    QTimer beat;
    beat.setInterval(10);
    QObject::connect(&beat, &QTimer::timeout,
                     [&] { longest = std::max(longest, since.restart()); });
    since.start();
    beat.start();
    [[maybe_unused]] const bool reached = QTest::qWaitFor(done, limitMs);
    return std::max(longest, since.elapsed());
}
inline qint64 longestStall(int ms) {
    return longestStallUntil([] { return false; }, ms);
}

inline constexpr const char* kTopic = "korvane/shed";

// The publisher's waits, short for the tests where the broker's own timing
// is what matters.
struct Timing {
    int firstRetryMs = 1000;
    int maxRetryMs = 60000;
    int connectTimeoutMs = 3000;
    int exitFlushMs = 2000;
};

class PublishFixture : public ::testing::Test {
protected:
    // mqtt.cfg for a broker on 127.0.0.1:`port`, publishing on, discovery off.
    MqttConfig config(int port) const {
        MqttConfig c = defaultMqttConfig("shed");
        c.Enabled = "1";
        c.Host = "127.0.0.1";
        c.Port = std::to_string(port);
        c.Topic = kTopic;
        c.Discovery = "0";
        return c;
    }
    void writeConfig(const MqttConfig& c) const { dir.write("mqtt.cfg", formatMqttConfig(c)); }

    // Null storage: the outbox table of korvane.db in the folder.
    std::unique_ptr<Publisher> publisher(std::unique_ptr<OutboxStorage> storage = nullptr,
                                         Timing t = {}) {
        PublisherSetup s;
        s.appFolder = dir.path();
        s.clock = &clock;
        s.outbox = std::move(storage);
        s.hostName = "shed";
        s.firstRetryMs = t.firstRetryMs;
        s.maxRetryMs = t.maxRetryMs;
        s.connectTimeoutMs = t.connectTimeoutMs;
        s.exitFlushMs = t.exitFlushMs;
        return std::make_unique<Publisher>(std::move(s));
    }

    LiveTime now() const { return {clock.now(), clock.utcMs(), dayKey(clock.now())}; }

    static bool spinUntil(const std::function<bool()>& done, int limitMs = 15000) {
        return QTest::qWaitFor(done, limitMs);
    }

    TempDir dir;
    FakeClock clock{LocalDateTime{2026, 12, 8, 14, 5, 0, 0}};
};

} // namespace korvane::test
