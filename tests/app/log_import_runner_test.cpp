// The import of earlier daily logs, driven from the event loop.

#include "app/log_import_runner.h"
#include "support/event_pump.h"
#include "support/temp_dir.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QWidget>
#include <filesystem>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace korvane::test {
namespace {

int count(const std::string& db, const char* sql) {
    sqlite3* h = nullptr;
    sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, sql, -1, &st, nullptr);
    const int n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
    sqlite3_finalize(st);
    sqlite3_close(h);
    return n;
}

std::string day(int records) {
    std::string text;
    for (int i = 0; i < records; ++i)
        text += "<V>12.5</V><I>1</I><W>12.5</W><R>300</R><S>4</S><M>0</M><T>10:" +
                std::string(i < 10 ? "0" : "") + std::to_string(i % 60) + "</T>\r\n";
    return text;
}

TEST(LogImportRunner, ImportsEachEarlierLogOnceWhileTheWindowRuns) {
    TempDir dir;
    dir.write("logs/2026_12_6.txt", day(30));
    dir.write("logs/2026_12_7.txt", day(20));
    dir.write("logs/notes.txt", "not a day's log");
    const std::string db = dir.file("korvane.db");
    QWidget owner;
    {
        LogImportRunner runner(db, dir.path(), 20261208, NumberFormat{'.'}, &owner);
        ASSERT_FALSE(runner.finished());
        ASSERT_TRUE(pumpUntil([&] { return runner.finished(); }, 5000));
        EXPECT_EQ(runner.problem(), "");
        EXPECT_EQ(owner.findChild<QProgressDialog*>("ImportProgress"), nullptr);
    }
    EXPECT_EQ(count(db, "select count(*) from records"), 50);
    EXPECT_EQ(count(db, "select count(*) from days where wh is null"), 2);

    LogImportRunner again(db, dir.path(), 20261208, NumberFormat{'.'}, &owner);
    EXPECT_TRUE(again.finished()); // nothing left: no dialog, nothing doubled
    EXPECT_EQ(count(db, "select count(*) from records"), 50);
}

TEST(LogImportRunner, CancelStopsAndTheNextStartResumes) {
    TempDir dir;
    for (int d = 1; d <= 5; ++d)
        dir.write("logs/2026_12_" + std::to_string(d) + ".txt", day(10));
    const std::string db = dir.file("korvane.db");
    QWidget owner;
    {
        LogImportRunner runner(db, dir.path(), 20261208, NumberFormat{'.'}, &owner);
        auto* dialog = owner.findChild<QProgressDialog*>("ImportProgress");
        ASSERT_NE(dialog, nullptr);
        auto* cancel = dialog->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), "Cancel");
        cancel->click(); // before the first step
        EXPECT_TRUE(runner.finished());
    }
    EXPECT_EQ(count(db, "select count(*) from records"), 0);
    LogImportRunner next(db, dir.path(), 20261208, NumberFormat{'.'}, &owner);
    ASSERT_TRUE(pumpUntil([&] { return next.finished(); }, 5000));
    EXPECT_EQ(count(db, "select count(*) from records"), 50);
}

TEST(LogImportRunner, LogsDatedAfterTomorrowAreNamedAndLeftForAStartWithTheClockRight) {
    TempDir dir;
    dir.write("logs/2026_12_6.txt", day(30));
    dir.write("logs/2031_1_1.txt", day(20));
    const std::string db = dir.file("korvane.db");
    QWidget owner;
    {
        LogImportRunner runner(db, dir.path(), 20261208, NumberFormat{'.'}, &owner);
        ASSERT_TRUE(pumpUntil([&] { return runner.finished(); }, 5000));
        EXPECT_EQ(runner.problem(), "Logs dated before 2000 or after tomorrow not imported (is the "
                                    "clock right?): 2031_1_1.txt");
    }
    EXPECT_EQ(count(db, "select count(*) from records"), 30);
    LogImportRunner later(db, dir.path(), 20310101, NumberFormat{'.'}, &owner);
    ASSERT_TRUE(pumpUntil([&] { return later.finished(); }, 5000));
    EXPECT_EQ(later.problem(), "");
    EXPECT_EQ(count(db, "select count(*) from records"), 50);
}

TEST(LogImportRunner, AStoreSetAsideMidwayGetsTheRestInTheNewFile) {
    TempDir dir;
    for (int d = 1; d <= 5; ++d)
        dir.write("logs/2026_12_" + std::to_string(d) + ".txt", day(10));
    const std::string db = dir.file("korvane.db");
    QWidget owner;
    LogImportRunner runner(db, dir.path(), 20261208, NumberFormat{'.'}, &owner);
    for (int turns = 0; turns < 200 && count(db, "select count(*) from records") < 10; ++turns)
        QCoreApplication::processEvents();
    ASSERT_EQ(count(db, "select count(*) from records"), 10);
    // What the recorder does with a damaged file.
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::rename(db + suffix, dir.file(std::string("aside.db") + suffix));
    ASSERT_TRUE(pumpUntil([&] { return runner.finished(); }, 5000));
    EXPECT_EQ(runner.problem(), "");
    EXPECT_EQ(count(db, "select count(*) from records"), 50);
    EXPECT_EQ(count(dir.file("aside.db"), "select count(*) from records"), 10);
}

} // namespace
} // namespace korvane::test
