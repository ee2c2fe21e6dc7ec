#pragma once
// What the broker tests share: a folder with mqtt.cfg, a fake clock for the
// message times and the event loop spun until something happened.

#include "publish/mqtt_config.h"
#include "publish/qt/publisher.h"
#include "recording/log_record.h"
#include "support/temp_dir.h"
#include "test_broker.h"

#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace korvane::test {

inline constexpr const char* kTopic = "korvane/shed";

class PublishFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveMosquitto())
            GTEST_SKIP() << kMosquittoBinary << " is not installed";
    }

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

    std::unique_ptr<Publisher> publisher(std::unique_ptr<OutboxStorage> storage = nullptr,
                                         int maxRetryMs = 60000) {
        PublisherSetup s;
        s.appFolder = dir.path();
        s.clock = &clock;
        s.outbox = std::move(storage);
        s.hostName = "shed";
        s.maxRetryMs = maxRetryMs;
        s.connectTimeoutMs = 3000;
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
