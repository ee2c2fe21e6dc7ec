// Ten simulated minutes at 20 packets a second with logging every 10 s: every
// tick's record is present once, with the peaks of its own interval, and
// memory does not grow.

#include "board_model.h"
#include "recording/log_record.h"
#include "tavrel_fixture.h"

#include "support/heap_usage.h"

#include <gtest/gtest.h>
#include <sstream>

namespace korvane::test {
namespace {

TEST(Soak, TenMinutesAtTwentyPacketsASecondLoggingEveryTenSeconds) {
    MainWindowFixture f(programWith([](ProgramConfig& c) {
                            c.LogOn = "1";
                            c.LogDelay = "10";
                        }),
                        defaultCalibrationConfig());
    f.clock.set({2026, 12, 8, 11, 59, 0, 0});
    f.start();
    ASSERT_EQ(f.timer("Timer1")->interval(), 10000);

    sim::BoardModel board(3);
    std::string expected;
    std::size_t heapAfterWarmUp = 0;
    for (int tick = 0; tick < 60; ++tick) {
        IntervalPeaks peaks;
        for (int i = 0; i < 200; ++i) {
            f.port->receive(sim::formatPacket(board.step(0.05)));
            raisePeaks(peaks, f.window->liveReading());
            if (i % 100 == 99)
                f.window->station().Timer3_Timer();
        }
        f.clock.advanceSeconds(10);
        expected += formatLogRecord(peaks, f.window->liveReading().mode, f.clock.now().hour,
                                    f.clock.now().minute, NumberFormat{});
        f.window->station().Timer1_Timer();
        if (tick == 5)
            heapAfterWarmUp = heapInUseBytes();
    }
    EXPECT_EQ(f.dir.read("logs/2026_12_8.txt"), expected);
    EXPECT_LT(heapInUseBytes(), heapAfterWarmUp + 256 * 1024);
}

} // namespace
} // namespace korvane::test
