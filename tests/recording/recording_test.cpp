#include "recording/log_record.h"
#include "recording/logging_control.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

const NumberFormat kDot{'.'};

TEST(LoggingInterval, ClampsAndKeepsWhatWasTyped) {
    struct Case {
        const char* text;
        const char* shown;
        int periodMs;
    } cases[] = {
        {"600", "600", 600000},
        {"600.4", "600", 600000},
        {"700", "600", 600000},
        {"10", "10", 10000},
        {"9.99", "10", 10000},
        {"-5", "10", 10000},
        {"0", "10", 10000},
        {"75", "75", 75000},
        {"12.5", "12.5", 12500},
        {"10.5", "10.5", 10500},
        {" 300 ", " 300 ", 300000},
        {"10.0005", "10.0005", 10000},
        {"10.0015", "10.0015", 10002},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto r = checkLoggingInterval(c.text, kDot);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->delayText, c.shown);
        EXPECT_EQ(r->periodMs, c.periodMs);
    }
    for (const char* bad : {"", "abc", "1,5", "ten"})
        EXPECT_FALSE(checkLoggingInterval(bad, kDot)) << bad;
    EXPECT_EQ(checkLoggingInterval("12,5", NumberFormat{','})->periodMs, 12500);
}

TEST(LogRecord, HasTheExactLineLayout) {
    EXPECT_EQ(formatLogRecord({13.52, 4.1, 55.43, 350.5, 12.3}, 1, 14, 5, kDot),
              "<V>13.52</V><I>4.1</I><W>55.43</W><R>350.5</R><S>12.3</S><M>1</M><T>14:05</T>\r\n");
    EXPECT_EQ(formatLogRecord({}, -1, 0, 0, kDot),
              "<V>0</V><I>0</I><W>0</W><R>0</R><S>0</S><M>-1</M><T>00:00</T>\r\n");
    EXPECT_EQ(formatLogRecord({12.25, 0, 0, 0, 0}, 0, 9, 7, NumberFormat{','}).substr(0, 13),
              "<V>12,25</V><");
}

TEST(LogRecord, DayKeyHasNoLeadingZeros) {
    EXPECT_EQ(dayKey(2006, 7, 4), "2006_7_4");
    EXPECT_EQ(dayKey(2006, 12, 25), "2006_12_25");
    EXPECT_EQ(outputModeText(1), "Load On");
    EXPECT_EQ(outputModeText(0), "");
}

TEST(LogWriter, CreatesTheLogsFolderAndAppends) {
    test::TempDir dir;
    LogWriter w(dir.path());
    EXPECT_TRUE(w.write("2006_7_4", "a\r\n"));
    EXPECT_TRUE(w.write("2006_7_4", "b\r\n"));
    EXPECT_EQ(dir.read("logs/2006_7_4.txt"), "a\r\nb\r\n");
}

TEST(LogWriter, HeldRecordsAreWrittenInOrderOnceTheFaultClears) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    test::TempDir dir;
    dir.mkdir("logs");
    LogWriter w(dir.path());
    ::chmod(dir.file("logs").c_str(), 0555);
    EXPECT_FALSE(w.write("2006_7_4", "a\r\n"));
    EXPECT_FALSE(w.write("2006_7_5", "b\r\n"));
    EXPECT_EQ(w.held(), 2u);
    ::chmod(dir.file("logs").c_str(), 0755);
    EXPECT_TRUE(w.write("2006_7_5", "c\r\n"));
    EXPECT_EQ(w.held(), 0u);
    EXPECT_EQ(dir.read("logs/2006_7_4.txt"), "a\r\n");
    EXPECT_EQ(dir.read("logs/2006_7_5.txt"), "b\r\nc\r\n");
}

TEST(LogWriter, ALogPathThatIsAFolderHoldsRecordsUntilItIsFixed) {
    // Works as root too: a folder in the place of the day's file.
    test::TempDir dir;
    dir.mkdir("logs/2006_7_4.txt");
    LogWriter w(dir.path());
    EXPECT_FALSE(w.write("2006_7_4", "a\r\n"));
    std::filesystem::remove(dir.file("logs/2006_7_4.txt"));
    EXPECT_TRUE(w.write("2006_7_4", "b\r\n"));
    EXPECT_EQ(dir.read("logs/2006_7_4.txt"), "a\r\nb\r\n");
}

} // namespace
} // namespace korvane

namespace korvane {
namespace {

TEST(LogWriter, ALogsFolderThatIsAFileHoldsRecordsWithoutEndingLogging) {
    test::TempDir dir;
    dir.write("logs", "not a folder");
    LogWriter w(dir.path());
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(w.write("2006_7_4", "r" + std::to_string(i) + "\r\n"));
    std::filesystem::remove(dir.file("logs"));
    EXPECT_TRUE(w.write("2006_7_4", "r3\r\n"));
    EXPECT_EQ(dir.read("logs/2006_7_4.txt"), "r0\r\nr1\r\nr2\r\nr3\r\n");
}

TEST(LogWriter, HoldsAtMostItsLimitOverALongOutage) {
    test::TempDir dir;
    dir.write("logs", "not a folder");
    LogWriter w(dir.path());
    for (std::size_t i = 0; i < LogWriter::kMaxHeld + 10; ++i)
        w.write("d", "x\r\n");
    EXPECT_EQ(w.held(), LogWriter::kMaxHeld);
}

} // namespace
} // namespace korvane
