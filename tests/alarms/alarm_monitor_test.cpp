// The alarm monitor as the main window drives it, with a fake clock, a fake
// notifier and a fake command runner.

#include "alarms/qt/alarm_monitor.h"
#include "store/alarm_events.h"
#include "support/temp_dir.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <optional>

namespace korvane {
namespace {

using test::TempDir;

struct Notice {
    std::string summary;
    std::string body;
    bool raised;
    bool operator==(const Notice&) const = default;
};

class FakeNotifier final : public AlarmNotifier {
public:
    explicit FakeNotifier(std::vector<Notice>& sent) : sent_(sent) {}
    void notify(const AlarmNotice& n, bool raised) override {
        sent_.push_back({n.summary, n.body, raised});
    }

private:
    std::vector<Notice>& sent_;
};

struct CommandRun {
    std::string program;
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> env;
    AlarmCommandRunner::Done done;
};

class FakeRunner final : public AlarmCommandRunner {
public:
    explicit FakeRunner(std::vector<CommandRun>& runs) : runs_(runs) {}
    void run(CommandRequest request, Done done) override {
        runs_.push_back({request.program, request.args, request.env, std::move(done)});
    }

private:
    std::vector<CommandRun>& runs_;
};

constexpr const char* kAlarms = "<LowVoltsOn>1</LowVoltsOn><LowVolts>11.5</LowVolts>"
                                "<LowVoltsClear>12</LowVoltsClear>"
                                "<HighWindOn>1</HighWindOn><NoDataOn>1</NoDataOn>"
                                "<NoDataMinutes>5</NoDataMinutes><HoldSeconds>10</HoldSeconds>"
                                "<Command> /opt/alarm hook </Command>";

class AlarmMonitorTest : public ::testing::Test {
protected:
    AlarmMonitorTest() : clock(LocalDateTime{2026, 3, 14, 14, 0, 0, 0}) {
        dir.write("prog.cfg", "<WSUnits>m/s</WSUnits>");
        dir.write("alarms.cfg", kAlarms);
    }

    std::unique_ptr<AlarmMonitor> makeMonitor(std::vector<AlarmEventRow> lastEvents = {},
                                              OutputIndexSource outputIndex = {}) {
        AlarmMonitorSetup setup;
        setup.appFolder = dir.path();
        setup.clock = &clock;
        setup.numberFormat = NumberFormat{'.'};
        setup.notifier = std::make_unique<FakeNotifier>(notices);
        setup.commands = std::make_unique<FakeRunner>(runs);
        setup.lastEvents = std::move(lastEvents);
        setup.outputIndex = std::move(outputIndex);
        auto monitor = std::make_unique<AlarmMonitor>(std::move(setup));
        monitor->setEventRecorder([this](const AlarmEvent& e) { events.push_back(e); });
        return monitor;
    }

    LiveTime now() const { return {clock.now(), clock.utcMs(), {}}; }

    void packets(AlarmMonitor& m, double volts, double wind, int seconds) {
        for (int i = 0; i < seconds; ++i) {
            Reading r;
            r.volts = volts;
            r.windSpeed = wind;
            m.packetDecoded(r, now());
            clock.advanceSeconds(1);
        }
    }

    TempDir dir;
    FakeClock clock;
    std::vector<Notice> notices;
    std::vector<CommandRun> runs;
    std::vector<AlarmEvent> events;
};

TEST_F(AlarmMonitorTest, ARaiseAndAClearGoEverywhere) {
    auto m = makeMonitor();
    clock.advanceSeconds(5 * 60 - 10); // 14:04:50
    packets(*m, 11.42, 5, 10);
    EXPECT_EQ(m->bannerText(), "");
    packets(*m, 11.42, 5, 1); // held 10 s at 14:05:00
    EXPECT_EQ(m->bannerText(), "Battery low: 11.42 V since 14:05");
    EXPECT_EQ(m->statusText(), "");

    const std::int64_t raisedAt = clock.utcMs() / 1000 - 1;
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0],
              (AlarmEvent{raisedAt, AlarmKind::BatteryLow, "Battery low", "raised", 11.42, "V"}));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (Notice{"Battery low", "11.42 V since 14:05", true}));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].program, "/opt/alarm hook"); // the blanks around it are not part of it
    EXPECT_EQ(runs[0].args,
              (std::vector<std::string>{"Battery low", "raised", "11.42", "V", "14:05"}));

    clock.advanceSeconds(10 * 60);
    packets(*m, 12.1, 5, 1);
    EXPECT_EQ(m->bannerText(), "");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].change, "cleared");
    EXPECT_EQ(events[1].value, 12.1);
    EXPECT_EQ(notices.back(), (Notice{"Battery low cleared", "12.1 V at 14:15", false}));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[1].args,
              (std::vector<std::string>{"Battery low", "cleared", "12.1", "V", "14:15"}));
}

TEST_F(AlarmMonitorTest, NoDataWaitsFromTheStartAndUsesTheEnergyTick) {
    auto m = makeMonitor();
    for (int t = 5; t < 300; t += 5) {
        clock.advanceSeconds(5);
        m->energyAdded(0, 0, now());
    }
    EXPECT_EQ(m->bannerText(), "");
    clock.advanceSeconds(5); // 14:05:00
    m->energyAdded(0, 0, now());
    EXPECT_EQ(m->bannerText(), "No data: 5 min since 14:05");
    packets(*m, 12.5, 5, 1);
    EXPECT_EQ(m->bannerText(), "");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].name, "No data");
    EXPECT_EQ(events[1].change, "cleared");
}

TEST_F(AlarmMonitorTest, ACommandFailureShowsOnTheStatusLineUntilOneSucceeds) {
    auto m = makeMonitor();
    QSignalSpy changed(m.get(), &AlarmMonitor::statusChanged);
    m->logBacklogChanged(1, now());
    ASSERT_EQ(runs.size(), 1u);
    clock.advanceSeconds(30 * 60); // the failure comes later than the raise
    runs[0].done({"exit code 3", {}});
    EXPECT_EQ(m->statusText(), "Alarm command failed: /opt/alarm hook: exit code 3 at 14:30");
    EXPECT_EQ(changed.count(), 1);
    m->logBacklogChanged(0, now());
    ASSERT_EQ(runs.size(), 2u);
    runs[1].done({});
    EXPECT_EQ(m->statusText(), "");
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(AlarmMonitorTest, ReloadTakesNewSettingsAndUnits) {
    auto m = makeMonitor();
    packets(*m, 12.5, 30, 11);
    EXPECT_EQ(m->bannerText(), "Wind high: 30 m/s since 14:00");

    dir.write("prog.cfg", "<WSUnits>km/h</WSUnits>");
    dir.write("alarms.cfg", "<HighWindOn>0</HighWindOn><LowVoltsOn>1</LowVoltsOn>");
    m->reload();
    EXPECT_EQ(m->bannerText(), "");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], (AlarmEvent{events[1].utcSeconds, AlarmKind::WindHigh, "Wind high",
                                     "cleared", 30, "km/h"}));
    // No command any more: the new file has none.
    EXPECT_EQ(runs.size(), 1u);
}

TEST_F(AlarmMonitorTest, ABadFieldInTheFileIsReportedAndTheRestWorks) {
    dir.write("alarms.cfg", "<LowVoltsOn>1</LowVoltsOn><LowVolts>low</LowVolts>"
                            "<HoldSeconds>0</HoldSeconds>");
    auto m = makeMonitor();
    EXPECT_EQ(m->statusText(),
              "alarms.cfg: Battery low level must be a number. Open Alarms to correct it.");
    packets(*m, 11.4, 5, 1); // the default 11.5 applies
    EXPECT_EQ(m->bannerText(), "Battery low: 11.4 V since 14:00");
}

TEST_F(AlarmMonitorTest, TurbineOutputLowIsJudgedAtTheStartAndOnceADay) {
    dir.write("alarms.cfg", "<OutputLowOn>1</OutputLowOn><Command>/opt/hook</Command>");
    std::optional<double> index = 83.96;
    std::vector<LocalDateTime> asked;
    auto m = makeMonitor({}, [&](const LiveTime& when) {
        asked.push_back(when.local);
        return index;
    });
    EXPECT_TRUE(asked.empty()) << "judged before the start";
    m->started(0, now());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(m->bannerText(), "Turbine output low: 84 % of its curve over 7 days");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], (AlarmEvent{clock.utcMs() / 1000, AlarmKind::OutputLow,
                                     "Turbine output low", "raised", 84, "%"}));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (Notice{"Turbine output low", "84 % of its curve over 7 days", true}));
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].args,
              (std::vector<std::string>{"Turbine output low", "raised", "84", "%", "14:00"}));

    // Energy ticks through the day ask nothing; the first after midnight does.
    index = 95;
    for (int t = 0; t < 10 * 3600; t += 5) {
        clock.advanceSeconds(5);
        m->energyAdded(0, 0, now());
    }
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1], (LocalDateTime{2026, 3, 15, 0, 0, 0, 0}));
    EXPECT_EQ(m->bannerText(), "");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].change, "cleared");
    EXPECT_EQ(events[1].value, 95);

    // A calm week says nothing either way.
    index = std::nullopt;
    clock.advanceSeconds(86400);
    m->energyAdded(0, 0, now());
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(AlarmMonitorTest, TurbineOutputLowSwitchedOnIsJudgedAtTheReload) {
    dir.write("alarms.cfg", "<OutputLowOn>0</OutputLowOn>");
    int asked = 0;
    auto m = makeMonitor({}, [&](const LiveTime&) {
        ++asked;
        return std::optional<double>(61.25);
    });
    m->started(0, now());
    EXPECT_EQ(asked, 0) << "an alarm switched off needs no index";
    EXPECT_EQ(m->bannerText(), "");
    dir.write("alarms.cfg", "<OutputLowOn>1</OutputLowOn><OutputLow>70</OutputLow>"
                            "<OutputLowClear>75</OutputLowClear>");
    m->reload();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(m->bannerText(), "Turbine output low: 61.2 % of its curve over 7 days");
    dir.write("alarms.cfg", "<OutputLowOn>0</OutputLowOn>");
    m->reload();
    EXPECT_EQ(m->bannerText(), "");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].change, "cleared");
    EXPECT_EQ(events[1].value, 61.2);
}

TEST_F(AlarmMonitorTest, ACommandFailureShowsItsLastOutputLine) {
    auto m = makeMonitor();
    m->logBacklogChanged(1, now());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].env[0],
              (std::pair<std::string, std::string>{"KORVANE_ALARM", "Log not written"}));
    runs[0].done({"exit code 7", "curl: (7) Failed to connect"});
    EXPECT_EQ(m->statusText(), "Alarm command failed: /opt/alarm hook: exit code 7 "
                               "(\"curl: (7) Failed to connect\") at 14:00");
}

} // namespace
} // namespace korvane
