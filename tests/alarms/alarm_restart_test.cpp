// The alarms over a restart of Korvane, through a real history store: an
// alarm active at the stop is active again at once and never raised twice.

#include "alarms/qt/alarm_monitor.h"
#include "store/alarm_events.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::TempDir;

class NullNotifier final : public AlarmNotifier {
public:
    explicit NullNotifier(int& count) : count_(count) {}
    void notify(const AlarmNotice&, bool) override { ++count_; }

private:
    int& count_;
};

class CountingRunner final : public AlarmCommandRunner {
public:
    explicit CountingRunner(std::vector<std::vector<std::string>>& runs) : runs_(runs) {}
    void run(CommandRequest request, Done) override { runs_.push_back(request.args); }

private:
    std::vector<std::vector<std::string>>& runs_;
};

class AlarmRestartTest : public ::testing::Test {
protected:
    AlarmRestartTest() : clock(LocalDateTime{2026, 3, 14, 14, 0, 0, 0}) {
        dir.write("prog.cfg", "<WSUnits>m/s</WSUnits>");
        dir.write("alarms.cfg", "<LowVoltsOn>1</LowVoltsOn><HighWindOn>1</HighWindOn>"
                                "<HoldSeconds>10</HoldSeconds><Command>/opt/hook</Command>");
    }

    // One run of Korvane: the monitor built as main() builds it, from the
    // store's latest events, its events written to the store.
    void start() {
        store = HistoryStore::open(dir.file("korvane.db"), 20260314).store;
        ASSERT_TRUE(store);
        AlarmMonitorSetup setup;
        setup.appFolder = dir.path();
        setup.clock = &clock;
        setup.numberFormat = NumberFormat{'.'};
        setup.notifier = std::make_unique<NullNotifier>(notices);
        setup.commands = std::make_unique<CountingRunner>(runs);
        setup.lastEvents = latestAlarmEvents(store.get());
        monitor = std::make_unique<AlarmMonitor>(std::move(setup));
        monitor->setEventRecorder([this](const AlarmEvent& e) {
            const AlarmEventRow row{e.utcSeconds, e.name, e.change, e.value};
            ASSERT_TRUE(store->recordAlarmEvents({&row, 1}).ok());
        });
    }
    void started() { monitor->started(0, now()); }
    void stop() {
        monitor->exiting(now());
        monitor.reset();
        store.reset();
    }
    LiveTime now() const { return {clock.now(), clock.utcMs(), {}}; }
    void packets(double volts, double wind, int seconds) {
        for (int i = 0; i < seconds; ++i) {
            Reading r;
            r.volts = volts;
            r.windSpeed = wind;
            monitor->packetDecoded(r, now());
            clock.advanceSeconds(1);
        }
    }
    // Every event in the store as "name state value @HH:MM:SS after 14:00".
    std::vector<std::string> stored() {
        std::vector<std::string> out;
        const auto all = store->alarmEvents(0, INT64_MAX);
        EXPECT_TRUE(all);
        const std::int64_t t0 = FakeClock(LocalDateTime{2026, 3, 14, 14, 0, 0, 0}).utcMs() / 1000;
        for (const AlarmEventRow& e : all.value_or(std::vector<AlarmEventRow>{}))
            out.push_back(e.name + " " + e.state + " " + formatGeneral(e.value, {}) + " +" +
                          std::to_string(e.ts - t0) + "s");
        return out;
    }

    TempDir dir;
    FakeClock clock;
    std::unique_ptr<HistoryStore> store;
    std::unique_ptr<AlarmMonitor> monitor;
    int notices = 0;
    std::vector<std::vector<std::string>> runs;
};

TEST_F(AlarmRestartTest, AConditionThatStillHoldsIsNotRaisedAgain) {
    start();
    started();
    packets(11.42, 5, 11); // raised at 14:00:10
    ASSERT_EQ(monitor->bannerText(), "Battery low: 11.42 V since 14:00");
    stop();

    clock.advanceSeconds(20 * 60); // Korvane was away for twenty minutes
    start();
    // Before any packet: the banner and the active set say so already.
    EXPECT_EQ(monitor->bannerText(), "Battery low: 11.42 V since 14:00");
    EXPECT_TRUE(monitor->activeAlarms()[index(AlarmKind::BatteryLow)]);
    EXPECT_FALSE(monitor->activeAlarms()[index(AlarmKind::WindHigh)]);
    started();
    packets(11.3, 5, 60);
    EXPECT_EQ(stored(), std::vector<std::string>{"Battery low raised 11.42 +10s"});
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(runs.size(), 1u);

    packets(12.2, 5, 1); // 14:21:11
    EXPECT_EQ(monitor->bannerText(), "");
    EXPECT_EQ(stored(), (std::vector<std::string>{"Battery low raised 11.42 +10s",
                                                  "Battery low cleared 12.2 +1271s"}));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1], (std::vector<std::string>{"Battery low", "cleared", "12.2", "V", "14:21"}));

    // A later restart finds it cleared and starts with nothing active.
    stop();
    start();
    EXPECT_EQ(monitor->bannerText(), "");
}

TEST_F(AlarmRestartTest, WhatClearedWhileAwayClearsAtTheFirstEvaluation) {
    start();
    started();
    packets(12.5, 30, 11); // Wind high at 14:00:10
    monitor->logBacklogChanged(4, now());
    ASSERT_EQ(monitor->bannerText(),
              "Wind high: 30 m/s since 14:00   Log not written: 4 records since 14:00");
    stop();

    clock.advanceSeconds(3 * 3600); // the storm passed overnight
    start();
    EXPECT_EQ(monitor->bannerText(),
              "Wind high: 30 m/s since 14:00   Log not written: 4 records since 14:00");
    started(); // 17:00:11: the log backlog is gone with the old run
    EXPECT_EQ(monitor->bannerText(), "Wind high: 30 m/s since 14:00");
    clock.advanceSeconds(2);
    packets(12.5, 6, 1); // 17:00:13: the wind is calm
    EXPECT_EQ(monitor->bannerText(), "");
    EXPECT_EQ(stored(), (std::vector<std::string>{
                            "Wind high raised 30 +10s", "Log not written raised 4 +11s",
                            "Log not written cleared 0 +10811s", "Wind high cleared 6 +10813s"}));
}

TEST_F(AlarmRestartTest, AnAlarmSwitchedOffWhileAwayClearsAtTheStart) {
    start();
    started();
    packets(11.0, 5, 11);
    stop();
    dir.write("alarms.cfg", "<LowVoltsOn>0</LowVoltsOn>");
    clock.advanceSeconds(60);
    start();
    started();
    EXPECT_EQ(monitor->bannerText(), "");
    EXPECT_EQ(stored(), (std::vector<std::string>{"Battery low raised 11 +10s",
                                                  "Battery low cleared 11 +71s"}));
}

} // namespace
} // namespace korvane
