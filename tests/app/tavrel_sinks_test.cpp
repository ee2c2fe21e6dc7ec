// The main window's live sinks: what they are told, and the day's energy
// carried over a restart.

#include "tavrel_fixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace korvane::test {
namespace {

struct RecordingSink final : LiveSink {
    std::vector<std::pair<Reading, LiveTime>> packets;
    std::vector<std::pair<double, std::string>> energy; // added, day
    std::vector<LoggedRecord> records;
    std::vector<std::size_t> backlog;
    int exits = 0;
    std::string status;
    std::string banner;

    void packetDecoded(const Reading& r, const LiveTime& when) override {
        packets.emplace_back(r, when);
    }
    void energyAdded(double added, double, const LiveTime& when) override {
        energy.emplace_back(added, when.day);
    }
    void recordLogged(const LoggedRecord& record, const LiveTime&) override {
        records.push_back(record);
    }
    void logBacklogChanged(std::size_t waiting, const LiveTime&) override {
        backlog.push_back(waiting);
    }
    void exiting(const LiveTime&) override { ++exits; }
    std::string statusText() const override { return status; }
    std::string bannerText() const override { return banner; }

    double energyOf(const std::string& day) const {
        double sum = 0;
        for (const auto& [added, d] : energy)
            if (d == day)
                sum += added;
        return sum;
    }
};

struct SinkFixture : MainWindowFixture {
    RecordingSink sink;
    std::map<std::string, double> stored; // what a store would resume from

    SinkFixture() : MainWindowFixture(defaultProgramConfig(), {"1", "0", "1", "6", "2"}) {}
    // The window tells its sinks of the exit as it goes: it must go first.
    ~SinkFixture() { window.reset(); }
    Tavrel& startWithSink() {
        extraSinks = {&sink};
        energySoFar = [this](const std::string& day) { return stored[day]; };
        return start();
    }
};

TEST(MainWindowSinks, PacketsRecordsAndExitReachTheSinks) {
    SinkFixture f;
    f.clock.set({2026, 3, 29, 1, 59, 0, 0});
    f.startWithSink();
    f.port->receive("[<V>12</V><I>6</I><M>1</M>][<V>13</V><I>1</I>]");
    ASSERT_EQ(f.sink.packets.size(), 2u);
    EXPECT_EQ(f.sink.packets[0].first.watts, 72);
    EXPECT_EQ(f.sink.packets[1].first.volts, 13);
    EXPECT_EQ(f.sink.packets[1].second.day, "2026_3_29");
    EXPECT_EQ(f.sink.packets[1].second.utcMs, f.clock.utcMs());

    f.button("StartLogging")->click();
    f.port->receive("[<V>14</V><I>2</I><M>1</M>]");
    f.window->station().Timer1_Timer();
    ASSERT_EQ(f.sink.records.size(), 1u);
    EXPECT_EQ(f.sink.records[0].peaks.volts, 14);
    EXPECT_EQ(f.sink.records[0].mode, 1);
    EXPECT_EQ(f.sink.records[0].hour, 1);
    EXPECT_EQ(f.sink.records[0].minute, 59);
    EXPECT_EQ(f.sink.records[0].day, "2026_3_29");

    f.sink.status = "History store: disk full";
    f.sink.banner = "Battery low: 11.42 V since 14:05";
    f.window->station().Timer3_Timer();
    EXPECT_EQ(f.child<QLabel>("SinkStatus")->text(), "History store: disk full");
    EXPECT_EQ(f.child<QLabel>("AlarmBanner")->text(), "Battery low: 11.42 V since 14:05");
    f.sink.banner.clear();
    f.port->receive("[<V>14</V>]");
    EXPECT_EQ(f.child<QLabel>("AlarmBanner")->text(), "");
    f.window->show();
    f.button("Exit")->click();
    f.window.reset(); // closing and then destroying tells the sinks once
    EXPECT_EQ(f.sink.exits, 1);
}

TEST(MainWindowSinks, EnergyResumesAndTheSinksSumsMatchTheTotalAcrossMidnight) {
    SinkFixture f;
    f.stored["2026_12_8"] = 40.5; // counted before a restart at 23:59:50
    f.clock.set({2026, 12, 8, 23, 59, 50, 0});
    f.startWithSink();
    EXPECT_EQ(f.window->wattHours(), 40.5);
    f.port->receive("[<V>12</V><I>6</I>]"); // 72 W: 0.1 Wh a tick
    for (int i = 0; i < 6; ++i) {           // 23:59:50 .. 00:00:15, two ticks in the reset window
        f.window->station().Timer3_Timer();
        if (i == 3)
            f.port->receive("[<V>12</V><I>12</I>]"); // 144 W from 00:00:05
        f.clock.advanceSeconds(5);
    }
    // Day 8 gained two shares on top of what was stored.  Day 9: 0.1 at
    // 00:00:00, restarted to 0.1 again at 00:00:05 (a change of 0), then
    // 0.2 at 00:00:10 and 00:00:15.
    EXPECT_NEAR(f.sink.energyOf("2026_12_8"), 0.2, 1e-9);
    EXPECT_NEAR(f.window->wattHours(), 0.5, 1e-9);
    EXPECT_NEAR(f.sink.energyOf("2026_12_9"), 0.5, 1e-9);
}

TEST(MainWindowSinks, TheLogBacklogIsReportedWhenItChanges) {
    SinkFixture f;
    f.dir.mkdir("logs/2026_12_8.txt");
    f.startWithSink();
    f.button("StartLogging")->click();
    f.window->station().Timer1_Timer();
    f.window->station().Timer1_Timer();
    f.window->station().Timer3_Timer(); // a retry that still fails changes nothing
    std::filesystem::remove(f.dir.file("logs/2026_12_8.txt"));
    f.window->station().Timer3_Timer();
    EXPECT_EQ(f.sink.backlog, (std::vector<std::size_t>{1, 2, 0}));
}

TEST(MainWindowSinks, ExtraWindowButtonsOpenTheirWindows) {
    SinkFixture f;
    int opened = 0;
    f.buttons.push_back({"Trends", "TrendsButton", [&](QWidget*) { ++opened; }});
    f.startWithSink();
    ASSERT_NE(f.button("TrendsButton"), nullptr);
    EXPECT_EQ(f.button("TrendsButton")->text(), "Trends");
    f.button("TrendsButton")->click();
    EXPECT_EQ(opened, 1);
}

TEST(MainWindowSinks, NothingStoredForTodayStartsFromZero) {
    SinkFixture f;
    f.stored["2026_12_7"] = 99;
    f.startWithSink();
    EXPECT_EQ(f.window->wattHours(), 0);
}

} // namespace
} // namespace korvane::test
