#include "platform/clock.h"
#include "platform/serial_port.h"
#include "platform/time_formats.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace korvane {
namespace {

TEST(LineSettings, ParsesTheSettingsText) {
    EXPECT_EQ(parseLineSettings("4800,N,8,1"), (LineSettings{4800, Parity::None, 8, 1}));
    EXPECT_EQ(parseLineSettings(" 9600 , e , 7 , 2 "), (LineSettings{9600, Parity::Even, 7, 2}));
    for (const char* bad : {"", "4800", "4800,N,8", "4800,X,8,1", "abc,N,8,1", "4800,N,9,1",
                            "4800,N,8,3", "-1,N,8,1", "4800,NN,8,1", "4800,N,8,1,1"})
        EXPECT_FALSE(parseLineSettings(bad)) << bad;
}

TEST(PortDevicePath, PrefersTheComLinkInTheAppFolder) {
    test::TempDir dir;
    EXPECT_EQ(portDevicePath(1, dir.path()), "/dev/ttyS0");
    EXPECT_EQ(portDevicePath(3, dir.path()), "/dev/ttyS2");
    ASSERT_EQ(::symlink("/dev/null", dir.file("com3").c_str()), 0);
    EXPECT_EQ(portDevicePath(3, dir.path()), dir.file("com3"));
    ASSERT_EQ(::symlink("/dev/no-such-adapter", dir.file("com4").c_str()), 0);
    EXPECT_EQ(portDevicePath(4, dir.path()), dir.file("com4"));
}

TEST(ReopenDelay, BacksOffToFiveSeconds) {
    EXPECT_EQ(reopenDelayMs(1), 1000);
    EXPECT_EQ(reopenDelayMs(2), 2000);
    EXPECT_EQ(reopenDelayMs(3), 5000);
    EXPECT_EQ(reopenDelayMs(100), 5000);
}

TEST(TimeFormats, TimeZoneFieldIsRemovedFromLongTimeFormats) {
    EXPECT_EQ(removeTimeZoneField("HH:mm:ss t"), "HH:mm:ss");
    EXPECT_EQ(removeTimeZoneField("h:mm:ss AP tttt"), "h:mm:ss AP");
    EXPECT_EQ(removeTimeZoneField("t HH:mm:ss"), "HH:mm:ss");
    EXPECT_EQ(removeTimeZoneField("HH 'h' mm 'tt' ss"), "HH 'h' mm 'tt' ss");
    EXPECT_EQ(timeSeparator("HH:mm"), ':');
    EXPECT_EQ(timeSeparator("HH.mm"), '.');
    EXPECT_EQ(timeSeparator("mm"), ':');
}

TEST(TimeFormats, FixedFormatsUseTwoDigitFields) {
    FixedTimeFormats f;
    const LocalDateTime t{2006, 7, 4, 9, 5, 3, 0};
    EXPECT_EQ(f.shortDate(t), "4/07/2006");
    EXPECT_EQ(f.longTime(t), "09:05:03");
    EXPECT_EQ(f.shortTime(14, 5), "14:05");
}

TEST(FakeClock, AdvancesAcrossMidnightMonthAndYear) {
    FakeClock clock({2006, 12, 31, 23, 59, 58, 0});
    clock.advanceSeconds(5);
    EXPECT_EQ(clock.now(), (LocalDateTime{2007, 1, 1, 0, 0, 3, 0}));
    clock.set({2008, 2, 28, 23, 0, 0, 0});
    clock.advanceSeconds(3600);
    EXPECT_EQ(clock.now(), (LocalDateTime{2008, 2, 29, 0, 0, 0, 0}));
    EXPECT_EQ(clock.now().secondsSinceMidnight(), 0);
}

TEST(FakeClock, UtcStaysSteadyWhenTheLocalClockFallsBack) {
    FakeClock clock({2026, 12, 8, 13, 0, 0, 250});
    clock.setUtcOffsetMinutes(60); // local 14:00:00 is 13:00:00 UTC
    EXPECT_EQ(clock.now(), (LocalDateTime{2026, 12, 8, 14, 0, 0, 250}));
    EXPECT_EQ(clock.utcMs(), 1796734800250);
    clock.advanceSeconds(1800);
    clock.setUtcOffsetMinutes(0); // back an hour: local 13:30 again
    EXPECT_EQ(clock.now(), (LocalDateTime{2026, 12, 8, 13, 30, 0, 250}));
    EXPECT_EQ(clock.utcMs(), 1796734800250 + 1800 * 1000);
}

} // namespace
} // namespace korvane
