// The wall clock of a site PC without a battery-backed clock jumps when
// network time arrives.  The station must count no energy for the jump, keep
// judging silence by the time that really passed, write each record to the
// day its own time names, and leave the store with no minute twice.

#include "config/settings_files.h"
#include "platform/fake_serial_port.h"
#include "station/station.h"
#include "station/store_sink.h"
#include "store/minute_recorder.h"
#include "support/temp_dir.h"

#include "../store/store_test_util.h"

#include <gtest/gtest.h>

namespace korvane::test {
namespace {

struct Rig {
    TempDir dir;
    FakeClock clock{{2026, 12, 8, 23, 58, 0, 0}};
    FixedTimeFormats formats;
    FakeSerialPort* port = nullptr;
    std::unique_ptr<MinuteRecorder> recorder;
    std::unique_ptr<StoreSink> sink;
    std::unique_ptr<Station> station;

    Rig() {
        ProgramConfig program = defaultProgramConfig();
        program.LogOn = "1";
        program.LogDelay = "10";
        saveProgramConfig(dir.path(), program);
        saveCalibrationConfig(dir.path(), {"1", "0", "1", "6", "2"});
        recorder = std::make_unique<MinuteRecorder>(dir.file("korvane.db"), clock.utcMs(),
                                                    dayKey(clock.now()));
        sink = std::make_unique<StoreSink>(*recorder);
        StationServices s;
        s.appFolder = dir.path();
        s.makePort = [this]() -> std::unique_ptr<SerialPort> {
            auto p = std::make_unique<FakeSerialPort>();
            port = p.get();
            return p;
        };
        s.clock = &clock;
        s.timeFormats = &formats;
        s.sinks = {sink.get()};
        s.energySoFar = [this](const std::string& day) { return recorder->energyOfDay(day); };
        station = std::make_unique<Station>(std::move(s));
        station->start();
    }
    ~Rig() { station.reset(); }

    // Ten seconds at 72 W: a packet a second, the energy timer at 0 and 5 s.
    void tenSeconds() {
        for (int s = 0; s < 10; ++s) {
            port->receive("[<V>12</V><I>6</I><M>1</M>]");
            if (s % 5 == 0)
                station->Timer3_Timer();
            clock.advanceSeconds(1);
        }
    }
    std::string db() const { return dir.file("korvane.db"); }
};

TEST(StationClock, AJumpCountsNoEnergyAndRecordsGoToTheDayTheirTimeNames) {
    Rig r;
    r.tenSeconds(); // 23:58:00-10, two shares of 0.1 Wh
    EXPECT_NEAR(r.station->wattHours(), 0.2, 1e-9);
    r.station->Timer1_Timer();

    // Network time sets the clock three hours forward, into the next day.
    r.clock.jumpWallClockSeconds(3 * 3600);
    r.station->Timer3_Timer();
    // A new day: the total restarted and took one share, not three hours'.
    EXPECT_NEAR(r.station->wattHours(), 0.1, 1e-9);
    EXPECT_FALSE(r.station->portState().stale) << r.station->portState().text;
    r.tenSeconds();
    r.station->Timer1_Timer();
    EXPECT_EQ(r.dir.read("logs/2026_12_8.txt"),
              "<V>12</V><I>6</I><W>72</W><R>0</R><S>0</S><M>1</M><T>23:58</T>\r\n");
    EXPECT_EQ(r.dir.read("logs/2026_12_9.txt"),
              "<V>12</V><I>6</I><W>72</W><R>0</R><S>0</S><M>1</M><T>02:58</T>\r\n");

    // And back by an hour: minutes already stored are not stored again.
    r.clock.jumpWallClockSeconds(-3600);
    r.tenSeconds();
    r.clock.jumpWallClockSeconds(3600);
    r.tenSeconds();
    r.station.reset(); // the exit commits the open minute
    EXPECT_EQ(queryOne(r.db(), "select count(*) - count(distinct ts) from minutes"), "0");
}

TEST(StationClock, SilenceIsTimeThatPassedNotWhatTheWallClockSays) {
    Rig r;
    r.tenSeconds();
    r.clock.jumpWallClockSeconds(-2 * 3600);
    r.station->Timer3_Timer();
    EXPECT_FALSE(r.station->portState().stale);
    r.clock.advanceSeconds(Station::kSilentSeconds);
    r.station->Timer3_Timer();
    EXPECT_TRUE(r.station->portState().stale);
    EXPECT_NE(r.station->portState().text.find("nothing received for 11 s"), std::string::npos)
        << r.station->portState().text;
}

} // namespace
} // namespace korvane::test
