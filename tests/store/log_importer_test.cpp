// Importing the daily logs: which files, what the records hold, and that an
// import cut short resumes without importing any file twice.

#include "platform/numbers.h"
#include "recording/log_record.h"
#include "store/log_importer.h"
#include "store_test_util.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::queryOne;
using test::queryRows;
using test::Rows;

const NumberFormat kPoint{'.'};

std::string line(double v, double a, double w, double rpm, double wind, int mode, int h, int m) {
    return formatLogRecord({v, a, w, rpm, wind}, static_cast<std::int16_t>(mode), h, m, kPoint);
}

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Today is 8 December; the 9th (a clock set back since) has minutes
        // of the store's own, so its log is not imported.
        dir.write("logs/2026_12_6.txt", line(12.5, 1, 12.5, 100, 4, 0, 0, 0) +
                                            line(13.25, 2.5, 33.13, 250.5, 7.5, 1, 23, 59));
        dir.write("logs/2026_12_7.txt", line(0, 0, 0, 0, 0, 0, 9, 0) +
                                            "<V>13</V><I>1</I><T>bad</T>\r\n" +
                                            "<V>12.75</V><S>3.5</S><M>-1</M><T>9:05</T>\r\n" +
                                            "\r\n" + "<V>14</V><T>10:0" /* torn by a power cut */);
        dir.write("logs/2026_12_8.txt", line(12, 0, 0, 0, 0, 0, 12, 0));
        dir.write("logs/2026_12_9.txt", line(12, 0, 0, 0, 0, 0, 12, 0));
        dir.write("logs/2026_12_05.txt", line(12, 0, 0, 0, 0, 0, 12, 0));
        dir.write("logs/notes.txt", "not a log");
        dir.write("logs/2026_12_4.csv", line(12, 0, 0, 0, 0, 0, 12, 0));
    }
    std::unique_ptr<HistoryStore> openStore(int createdDate = 20261208) {
        auto opened = HistoryStore::open(path, createdDate);
        EXPECT_TRUE(opened.result.ok()) << opened.result.text;
        MinuteSummary own;
        own.ts = 1796803200; // 2026-12-09 08:00 UTC
        own.date = 20261209;
        EXPECT_TRUE(opened.store->commitMinutes(std::span(&own, 1)).ok());
        return std::move(opened.store);
    }
    LogImporter makeImporter(HistoryStore& store, int today = 20261208) {
        return LogImporter(store, dir.path(), kPoint, today);
    }
    test::TempDir dir;
    std::string path = dir.file("korvane.db");
};

TEST_F(ImportTest, ImportsTheDayKeyLogsOfDaysWithoutMinutesWithTheReadersRules) {
    auto store = openStore();
    LogImporter importer = makeImporter(*store);
    const ImportProgress& p = importer.progress();
    EXPECT_EQ(p.filesTotal, 3u);
    EXPECT_EQ(p.bytesTotal, static_cast<std::int64_t>(dir.read("logs/2026_12_6.txt").size() +
                                                      dir.read("logs/2026_12_7.txt").size() +
                                                      dir.read("logs/2026_12_8.txt").size()));
    EXPECT_EQ(importer.step(), ImportStep::Imported);
    EXPECT_EQ(p.filesDone, 1u);
    EXPECT_EQ(importer.step(), ImportStep::Imported);
    EXPECT_EQ(importer.step(), ImportStep::Imported);
    EXPECT_EQ(p.bytesDone, p.bytesTotal);
    EXPECT_TRUE(importer.finished());
    EXPECT_EQ(importer.step(), ImportStep::Finished);

    EXPECT_EQ(queryRows(path, "SELECT * FROM records WHERE day != '2026_12_8'"),
              (Rows{{"2026_12_6", "1", "00:00", "12.5", "1.0", "12.5", "100.0", "4.0", "0"},
                    {"2026_12_6", "2", "23:59", "13.25", "2.5", "33.13", "250.5", "7.5", "1"},
                    {"2026_12_7", "1", "09:00", "0.0", "0.0", "0.0", "0.0", "0.0", "0"},
                    {"2026_12_7", "2", "09:05", "12.75", "0.0", "0.0", "0.0", "3.5", "-1"}}));
    // Days known only from records: energy and packets unknown, volts_min the
    // lowest interval peak that saw a reading.
    EXPECT_EQ(queryRows(path, "SELECT * FROM days WHERE day != '2026_12_9'"),
              (Rows{{"2026_12_6", "", "", "0", "", "", "12.5", "13.25", "33.13", "7.5", ""},
                    {"2026_12_7", "", "", "0", "", "", "12.75", "12.75", "0.0", "3.5", ""},
                    {"2026_12_8", "", "", "0", "", "", "12.0", "12.0", "0.0", "0.0", ""}}));
}

TEST_F(ImportTest, ACancelledImportResumesAndNoFileIsImportedTwice) {
    {
        auto store = openStore();
        LogImporter first = makeImporter(*store);
        EXPECT_EQ(first.step(), ImportStep::Imported);
        first.cancel();
        EXPECT_EQ(first.step(), ImportStep::Finished);
        EXPECT_EQ(first.progress().filesDone, 1u);
    }
    auto store = openStore();
    LogImporter second = makeImporter(*store);
    EXPECT_EQ(second.progress().filesTotal, 2u);
    while (second.step() == ImportStep::Imported) {
    }
    EXPECT_TRUE(second.finished());
    EXPECT_EQ(makeImporter(*store).progress().filesTotal, 0u);
    EXPECT_EQ(queryOne(path, "SELECT count(*) FROM records"), "5");
    EXPECT_EQ(queryRows(path, "SELECT name, records FROM log_file"),
              (Rows{{"2026_12_6.txt", "2"}, {"2026_12_7.txt", "2"}, {"2026_12_8.txt", "1"}}));
}

TEST_F(ImportTest, ALogOfMoreRecordsThanTheGraphShowsIsImportedWhole) {
    std::string text;
    for (int k = 0; k < 12000; ++k)
        text += line(12 + k % 100 / 100.0, 0, 0, 0, 0, 0, k / 500 % 24, k % 60);
    dir.write("logs/2026_12_1.txt", text);
    auto store = openStore();
    LogImporter importer = makeImporter(*store);
    while (importer.step() == ImportStep::Imported) {
    }
    EXPECT_EQ(queryRows(path, "SELECT count(*), max(seq), min(volts), max(volts) FROM records "
                              "WHERE day = '2026_12_1'"),
              (Rows{{"12000", "12000", "12.0", "12.99"}}));
    EXPECT_EQ(queryOne(path, "SELECT time FROM records WHERE day = '2026_12_1' AND seq = 11999"),
              "23:58");
}

TEST_F(ImportTest, ALockedStoreLeavesTheFileForTheNextStep) {
    auto store = openStore();
    LogImporter importer = makeImporter(*store);
    sqlite3* other = nullptr;
    sqlite3_open(path.c_str(), &other);
    sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    EXPECT_EQ(importer.step(), ImportStep::Busy);
    EXPECT_EQ(importer.progress().filesDone, 0u);
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(importer.step(), ImportStep::Imported);
    EXPECT_EQ(queryOne(path, "SELECT count(*) FROM records"), "2");
}

TEST_F(ImportTest, WhatIsImportedFollowsTheFilesWhateverDayTheStoreWasCreatedOn) {
    // The first start ran on a clock that said 1 January 2000.
    auto store = openStore(20000101);
    LogImporter first = makeImporter(*store);
    EXPECT_EQ(first.progress().filesTotal, 3u);
    while (first.step() == ImportStep::Imported) {
    }
    EXPECT_EQ(queryRows(path, "SELECT name FROM log_file"),
              (Rows{{"2026_12_6.txt"}, {"2026_12_7.txt"}, {"2026_12_8.txt"}}));
    // A log that appears later (copied in from a backup) is imported too.
    dir.write("logs/2025_3_1.txt", line(12, 0, 0, 0, 0, 0, 12, 0));
    EXPECT_EQ(makeImporter(*store).progress().filesTotal, 1u);
    EXPECT_EQ(makeImporter(*store).ignored(), "");
}

TEST_F(ImportTest, LogsDatedBeforeTwoThousandOrAfterTomorrowAreLeftAndNamed) {
    dir.write("logs/1999_12_31.txt", line(12, 0, 0, 0, 0, 0, 12, 0));
    dir.write("logs/2026_12_10.txt", line(12, 0, 0, 0, 0, 0, 12, 0));
    const struct {
        int today;
        std::size_t files;
        std::string ignored;
    } cases[] = {
        {20261208, 3,
         "Logs dated before 2000 or after tomorrow not imported (is the clock right?): "
         "1999_12_31.txt, 2026_12_10.txt"},
        {20261209, 4,
         "Logs dated before 2000 or after tomorrow not imported (is the clock "
         "right?): 1999_12_31.txt"},
        {19700101, 0,
         "Logs dated before 2000 or after tomorrow not imported (is the clock "
         "right?): 1999_12_31.txt, 2026_12_10.txt, 2026_12_6.txt and 2 more"},
    };
    auto store = openStore();
    for (const auto& c : cases) {
        const LogImporter i = makeImporter(*store, c.today);
        EXPECT_EQ(i.progress().filesTotal, c.files) << c.today;
        EXPECT_EQ(i.ignored(), c.ignored) << c.today;
    }
}

} // namespace
} // namespace korvane
