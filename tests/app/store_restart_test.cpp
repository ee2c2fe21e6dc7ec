// The main window with a real history store: minutes land in korvane.db and
// the day's energy carries on across a restart.

#include "station/store_sink.h"
#include "store/minute_recorder.h"
#include "tavrel_fixture.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace korvane::test {
namespace {

struct Session {
    MainWindowFixture& f;
    MinuteRecorder recorder;
    StoreSink sink{recorder};

    Session(MainWindowFixture& fixture, const std::string& db)
        : f(fixture), recorder(db, f.clock.utcMs(), dayKey(f.clock.now())) {
        f.extraSinks = {&sink};
        f.energySoFar = [this](const std::string& day) { return recorder.energyOfDay(day); };
        f.port = nullptr;
        f.start();
    }
    // The window tells the sink of the exit as it goes: it must go first.
    ~Session() { f.window.reset(); }
};

double scalar(const std::string& db, const char* sql) {
    sqlite3* h = nullptr;
    sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, sql, -1, &st, nullptr);
    double v = -1;
    if (sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_double(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(h);
    return v;
}

TEST(MainWindowStore, MinutesLandAndTheTotalCarriesOnAfterARestart) {
    MainWindowFixture f(defaultProgramConfig(), {"1", "0", "1", "6", "2"});
    f.clock.set({2026, 12, 8, 12, 0, 0, 0});
    const std::string db = f.dir.file("korvane.db");
    {
        Session first(f, db);
        // Three minutes at 72 W, a packet a second and the energy timer every 5 s.
        for (int s = 0; s < 180; ++s) {
            f.port->receive("[<V>12</V><I>6</I><M>1</M>]");
            if (s % 5 == 0)
                f.window->station().Timer3_Timer();
            f.clock.advanceSeconds(1);
        }
        f.window->station().Timer3_Timer(); // 12:03:00 ends the third minute and opens a fourth
        EXPECT_NEAR(f.window->wattHours(), 3.7, 1e-9); // 37 ticks of 0.1 Wh
        EXPECT_EQ(scalar(db, "select count(*) from minutes"), 3);
        // The window goes without its Exit button: the open minute is still kept.
        f.window.reset();
    }
    EXPECT_EQ(scalar(db, "select count(*) from minutes"), 4);
    EXPECT_EQ(scalar(db, "select packets from minutes where ts = 1796731260"), 60);
    EXPECT_EQ(scalar(db, "select volts_max from minutes where ts = 1796731260"), 12);
    EXPECT_EQ(scalar(db, "select load_on_s from minutes where ts = 1796731260"), 60);
    EXPECT_NEAR(scalar(db, "select wh from days where day = '2026_12_8'"), 3.7, 1e-9);

    // Started again within the same minute: the total carries on, and the
    // minute's second part merges into its row.
    f.clock.advanceSeconds(30);
    Session second(f, db);
    EXPECT_NEAR(f.window->wattHours(), 3.7, 1e-9);
    f.port->receive("[<V>12</V><I>6</I>]");
    f.window->station().Timer3_Timer();
    f.button("Exit")->click(); // an exit commits the unfinished minute
    EXPECT_NEAR(scalar(db, "select wh from days where day = '2026_12_8'"), 3.8, 1e-9);
    EXPECT_EQ(scalar(db, "select count(*) from minutes"), 4);
    EXPECT_EQ(scalar(db, "select packets from minutes where ts = 1796731380"), 1);
}

} // namespace
} // namespace korvane::test
