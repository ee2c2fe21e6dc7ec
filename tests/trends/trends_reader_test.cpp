#include "trends/trends_reader.h"

#include "platform/files.h"
#include "store_fixture.h"
#include "support/temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::minuteOf;

TEST(TrendsReader, AMissingOrEmptyStoreIsNoHistoryAndIsNotCreated) {
    test::TempDir dir;
    TrendsReader missing(dir.path());
    EXPECT_EQ(missing.status(), TrendsReader::Status::NoHistory);
    EXPECT_NE(missing.problem().find("No history yet"), std::string::npos);
    EXPECT_FALSE(fileExists(dir.file("korvane.db")));
    EXPECT_EQ(missing.days({20260101, 20261231}), nullptr);

    dir.write("korvane.db", "");
    TrendsReader empty(dir.path());
    EXPECT_EQ(empty.status(), TrendsReader::Status::NoHistory);
    EXPECT_EQ(dir.read("korvane.db"), "");
}

TEST(TrendsReader, AFileThatIsNotAStoreSaysWhy) {
    test::TempDir dir;
    dir.write("korvane.db", std::string(4096, 'x'));
    TrendsReader reader(dir.path());
    EXPECT_EQ(reader.status(), TrendsReader::Status::Failed);
    EXPECT_NE(reader.problem().find("Cannot read the history store"), std::string::npos);
    EXPECT_NE(reader.problem().find(dir.file("korvane.db")), std::string::npos);
    EXPECT_EQ(reader.points({20260101, 20261231}), nullptr);
}

TEST(TrendsReader, ReadsTheRangesDaysAndPairs) {
    test::TempDir dir;
    test::writeMinutes(dir.file("korvane.db"),
                       {minuteOf(20260301, 600, 4, 100, 1.5), minuteOf(20260301, 601, 5, 150, 2.5),
                        minuteOf(20260303, 0, 8, 400, 6)});
    TrendsReader reader(dir.path());
    ASSERT_EQ(reader.status(), TrendsReader::Status::Ok) << reader.problem();
    EXPECT_EQ(reader.storedSpan(), (DateRange{20260301, 20260303}));
    const auto* days = reader.days({20260302, 20260310});
    ASSERT_NE(days, nullptr);
    ASSERT_EQ(days->size(), 1u);
    EXPECT_EQ((*days)[0].date, 20260303);
    EXPECT_DOUBLE_EQ(*(*days)[0].wh, 6);
    const auto* points = reader.points({20260301, 20260301});
    ASSERT_NE(points, nullptr);
    ASSERT_EQ(points->size(), 2u);
    EXPECT_DOUBLE_EQ((*points)[1].wind, 5);
    EXPECT_DOUBLE_EQ((*points)[1].watts, 150);
}

TEST(TrendsReader, AStoreSetAsideIsFollowedAndItsMinutesReadAfresh) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    test::TempDir dir;
    test::writeMinutes(dir.file("korvane.db"), {minuteOf(20260301, 600, 4, 100, 1.5)});
    TrendsReader reader(dir.path());
    const DateRange march{20260301, 20260331};
    ASSERT_NE(reader.days(march), nullptr);
    ASSERT_EQ(reader.turbineMinutes(march)->size(), 1u);
    EXPECT_FLOAT_EQ((*reader.turbineMinutes(march))[0].watts, 100);

    // What the recorder does with a damaged file: rename it, start anew.
    ASSERT_EQ(::rename(dir.file("korvane.db").c_str(), dir.file("korvane-corrupt.db").c_str()), 0);
    test::writeMinutes(dir.file("korvane.db"),
                       {minuteOf(20260302, 0, 6, 250, 3), minuteOf(20260302, 1, 6, 260, 3)});
    const auto* days = reader.days(march);
    ASSERT_NE(days, nullptr);
    ASSERT_EQ(days->size(), 1u);
    EXPECT_EQ((*days)[0].date, 20260302);
    ASSERT_EQ(reader.turbineMinutes(march)->size(), 2u);
    EXPECT_EQ((*reader.turbineMinutes(march))[0].date, 20260302);
}

} // namespace
} // namespace korvane
