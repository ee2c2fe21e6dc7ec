// Faults while logging: a day whose file stays unwritable, a write cut short
// by a full disk, and the line that tells the user.

#include "platform/files.h"
#include "recording/logging_tick.h"
#include "support/temp_dir.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace korvane {
namespace {

using test::TempDir;

const NumberFormat kDot{'.'};

std::string record(int hour, int minute) {
    return formatLogRecord({13.5, 4, 54, 350, 12}, 1, hour, minute, kDot);
}

TEST(LogFaults, ABlockedDayHoldsOnlyItsOwnRecords) {
    TempDir dir;
    // A folder where day 1's file should be, as a root-owned leftover would.
    dir.mkdir("logs/2006_7_4.txt");
    FakeClock clock({2006, 7, 4, 23, 58, 0, 0});
    FixedTimeFormats formats;
    LogWriter log(dir.path());
    TickInputs in{{13.5, 4, 54, 350, 12}, 1, 0, false, false, "km/h"};

    std::vector<TickResult> results;
    for (int i = 0; i < 4; ++i) { // 23:58, 23:59, 00:00, 00:01
        results.push_back(writeLoggingTick(log, dir.path(), in, clock, formats, kDot));
        clock.advanceSeconds(60);
    }
    EXPECT_FALSE(results[0].recordWritten);
    EXPECT_FALSE(results[1].recordWritten);
    EXPECT_TRUE(results[2].recordWritten);
    EXPECT_TRUE(results[3].recordWritten);
    EXPECT_EQ(dir.read("logs/2006_7_5.txt"), record(0, 0) + record(0, 1));
    EXPECT_EQ(log.held(), 2u);
    ASSERT_TRUE(log.fault());
    EXPECT_EQ(log.fault()->path, dir.file("logs/2006_7_4.txt"));
    EXPECT_EQ(log.fault()->error, EISDIR);

    std::filesystem::remove(dir.file("logs/2006_7_4.txt"));
    log.retry();
    EXPECT_EQ(log.held(), 0u);
    EXPECT_FALSE(log.fault());
    EXPECT_EQ(dir.read("logs/2006_7_4.txt"), record(23, 58) + record(23, 59));
    EXPECT_EQ(dir.read("logs/2006_7_5.txt"), record(0, 0) + record(0, 1));
}

// Lets a test make the next writes to a file stop part way, as a full disk
// does, by lowering the process's file size limit.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        old_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_);
    }

private:
    rlimit saved_{};
    void (*old_)(int) = nullptr;
};

TEST(LogFaults, AWriteCutShortLeavesNoTornOrDoubledRecord) {
    TempDir dir;
    LogWriter log(dir.path());
    ASSERT_TRUE(log.write("2006_7_4", record(14, 0)));
    const auto before = dir.read("logs/2006_7_4.txt");
    {
        // Room for ten more bytes: the next record gets in part way only.
        FileSizeLimit limit(before.size() + 10);
        EXPECT_FALSE(log.write("2006_7_4", record(14, 1)));
        EXPECT_FALSE(log.write("2006_7_4", record(14, 2)));
        EXPECT_EQ(dir.read("logs/2006_7_4.txt"), before);
        ASSERT_TRUE(log.fault());
        EXPECT_EQ(log.fault()->error, EFBIG);
    }
    EXPECT_TRUE(log.write("2006_7_4", record(14, 3)));
    EXPECT_EQ(dir.read("logs/2006_7_4.txt"),
              record(14, 0) + record(14, 1) + record(14, 2) + record(14, 3));
}

TEST(LogFaults, ARecordAfterALineTornByAPowerCutStartsItsOwnLine) {
    TempDir dir;
    dir.write("log.txt", std::string("<V>13.5</V><I>4", 15) + std::string(3, '\0'));
    ASSERT_EQ(appendRecord(dir.file("log.txt"), "whole\r\n"), 0);
    EXPECT_EQ(dir.read("log.txt"), std::string("<V>13.5</V><I>4\0\0\0\r\nwhole\r\n", 27));
    ASSERT_EQ(appendRecord(dir.file("log.txt"), "next\r\n"), 0);
    EXPECT_EQ(dir.read("log.txt").substr(20), "whole\r\nnext\r\n");
}

TEST(LogFaults, StatusLineNamesTheFileTheReasonAndTheCount) {
    TempDir dir;
    dir.write("logs", "a file where the folder should be");
    LogWriter log(dir.path());
    TickResult tick;
    EXPECT_EQ(loggingStatusText(log, tick), "");

    log.write("2006_7_4", "a\r\n");
    EXPECT_EQ(loggingStatusText(log, tick), "Log not written: " + dir.file("logs/2006_7_4.txt") +
                                                ": Not a directory; 1 record waiting");
    log.write("2006_7_4", "b\r\n");
    tick.webFault = FileFault{dir.file("html/template.asp"), ENOENT};
    tick.spreadsheetFault = FileFault{dir.file("Excel/2006_7_4.xls"), ENOSPC};
    EXPECT_EQ(loggingStatusText(log, tick),
              "Log not written: " + dir.file("logs/2006_7_4.txt") +
                  ": Not a directory; 2 records waiting; Web page not written: " +
                  dir.file("html/template.asp") +
                  ": No such file or directory; Spreadsheet not written: " +
                  dir.file("Excel/2006_7_4.xls") + ": No space left on device");

    std::filesystem::remove(dir.file("logs"));
    log.retry();
    EXPECT_EQ(loggingStatusText(log, TickResult{}), "");
}

} // namespace
} // namespace korvane
