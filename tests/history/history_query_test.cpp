// The "Display" query: its input checks, the day's file, and which records
// of it land in which slots.

#include "history/history_query.h"
#include "platform/files.h"
#include "recording/log_record.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

const NumberFormat kPoint{'.'};

QueryFields fieldsFor(const char* y, const char* m, const char* d, const char* h1 = "00",
                      const char* m1 = "00", const char* h2 = "23", const char* m2 = "59") {
    return {y, m, d, h1, m1, h2, m2};
}

std::string record(double volts, double amps, double watts, double rpm, double ws, int mode,
                   int hour, int minute) {
    return formatLogRecord({volts, amps, watts, rpm, ws}, static_cast<std::int16_t>(mode), hour,
                           minute, kPoint);
}

QueryRange wholeDay() {
    return {{0, 0}, {23, 59}};
}

TEST(CheckQueryFields, ReportsTheFirstBadFieldInStartFinishDateOrder) {
    struct Case {
        QueryFields fields;
        QueryOutcome outcome;
        const char* message;
    };
    const Case cases[] = {
        {fieldsFor("2006", "7", "4", "25", "00", "xx", "00"), QueryOutcome::BadStartTime,
         "Bad time format for start time"},
        {fieldsFor("2006", "7", "32", "10", "00", "xx", "00"), QueryOutcome::BadFinishTime,
         "Bad time format for finish time"},
        {fieldsFor("2006", "2", "30"), QueryOutcome::BadDate, "Bad date format for record date"},
        {fieldsFor("2006", "7", "4", "10", "", "11", "00"), QueryOutcome::BadStartTime,
         "Bad time format for start time"},
        {fieldsFor("2006", "7", "4", "08", "30", "17", "15"), QueryOutcome::Loaded, ""},
    };
    for (const auto& c : cases) {
        const CheckedQuery checked = checkQueryFields(c.fields);
        EXPECT_EQ(checked.outcome, c.outcome);
        EXPECT_EQ(queryMessage(checked.outcome), c.message);
    }
    const CheckedQuery ok = checkQueryFields(fieldsFor("2006", "7", "4", "08", "30", "17", "15"));
    EXPECT_EQ(ok.range.start, (TimeOfDay{8, 30}));
    EXPECT_EQ(ok.range.finish, (TimeOfDay{17, 15}));
}

TEST(QueryMessage, LimitMessageIsTheProgramsOwnTextWithItsTrailingSpace) {
    EXPECT_EQ(queryMessage(QueryOutcome::TooManyRecords),
              "Over 10,000 records, too many to display. Please use a smaller time range. If you "
              "set you logging interval to 10 seconds or more, you wont have this problem in the "
              "future. ");
    EXPECT_EQ(queryMessage(QueryOutcome::NoData), "No data for that date");
}

TEST(LoadRecords, KeepsRecordsStrictlyInsideTheRangeInFileOrder) {
    const std::string text = record(11, 1, 11, 100, 5, 0, 0, 0) +  // 00:00: on the start
                             record(12, 2, 24, 200, 6, 1, 0, 1) +  // kept
                             "\r\n" +                              // empty line
                             "garbage without a time\r\n" +        // skipped
                             record(13, 3, 39, 300, 7, 0, 12, 0) + // kept
                             record(14, 4, 56, 400, 8, 1, 23, 59); // on the finish
    HistoryBuffer h;
    const LoadResult r = loadRecords(text, wholeDay(), kPoint, h);
    ASSERT_EQ(r.outcome, QueryOutcome::Loaded);
    ASSERT_EQ(r.recordCount, 2);
    EXPECT_EQ(h.Volts[1], 12);
    EXPECT_EQ(h.Amps[1], 2);
    EXPECT_EQ(h.Watts[1], 24);
    EXPECT_EQ(h.Rpm[1], 200);
    EXPECT_EQ(h.WindSpeed[1], 6);
    EXPECT_EQ(h.Mode[1], 1);
    EXPECT_DOUBLE_EQ(h.Time[1], 1.0 / 1440);
    EXPECT_EQ(h.Volts[2], 13);
    EXPECT_DOUBLE_EQ(h.Time[2], 0.5);
    EXPECT_EQ(h.Volts[0], 0) << "slot 0 is never written";
}

TEST(LoadRecords, StartEqualToFinishFindsNothing) {
    HistoryBuffer h;
    const std::string text = record(12, 1, 12, 0, 0, 0, 10, 0);
    EXPECT_EQ(loadRecords(text, {{10, 0}, {10, 0}}, kPoint, h).outcome, QueryOutcome::NoData);
    EXPECT_EQ(loadRecords(text, {{9, 59}, {10, 1}}, kPoint, h).recordCount, 1);
}

TEST(LoadRecords, MissingBadOrReversedValuesStoreZero) {
    const std::string text =
        "<V>12.5</V><I>3</I><R>1</R><S>2</S><M>1</M><T>10:00</T>\r\n"     // no <W>
        "<V>x</V><I></I><W>1e999</W><R>nan</R><S>inf</S><T>10:01</T>\r\n" // no <M>, bad numbers
        "</V>7<V><I>1</I><W>2</W><M>1</M><T>10:02</T>\r\n"                // reversed volts
        "<M>1.5</M><T>10:03</T>\r\n"
        "<M>2.5</M><T>10:04</T>\r\n"
        "<M>99999</M><T>10:05</T>\r\n"
        "<T>10:06</T><V> 13.5 </V><V>99</V>\r\n"; // first tags count, blanks allowed
    HistoryBuffer h;
    for (int k = 0; k < HistoryBuffer::kSlots; ++k)
        h.Mode[k] = 1;
    ASSERT_EQ(loadRecords(text, wholeDay(), kPoint, h).recordCount, 7);
    EXPECT_EQ(h.Watts[1], 0) << "watts are never worked out from volts and amps";
    EXPECT_EQ(h.Volts[1], 12.5);
    for (double v : {h.Volts[2], h.Amps[2], h.Watts[2], h.Rpm[2], h.WindSpeed[2]})
        EXPECT_EQ(v, 0);
    EXPECT_EQ(h.Mode[2], 0) << "a line without <M> stores 0 whatever came before";
    EXPECT_EQ(h.Volts[3], 0);
    EXPECT_EQ(h.Amps[3], 1);
    EXPECT_EQ(h.Mode[4], 2);
    EXPECT_EQ(h.Mode[5], 2);
    EXPECT_EQ(h.Mode[6], 32767);
    EXPECT_EQ(h.Volts[7], 13.5);
    EXPECT_EQ(h.Mode[8], 1) << "slots above the count keep what they held";
}

TEST(LoadRecords, SkipsTornAndTimelessLines) {
    const std::string text = std::string("<V>12</V><T>10:00</T>\r\n") +
                             "<V>13</V><T>10:0" +             // torn by a power cut...
                             "<V>14</V><T>10:02</T>\r\n" +    // ...and the next record after it
                             "<V>15</V><T>25:00</T>\r\n" +    // not a time
                             "<V>16</V><T>10:03\r\n" +        // no closing tag
                             std::string(40, '\0') + "\r\n" + // NUL padding
                             "<V>17</V><T>10:04</T>";         // last line without CR LF
    HistoryBuffer h;
    const LoadResult r = loadRecords(text, wholeDay(), kPoint, h);
    ASSERT_EQ(r.recordCount, 2);
    EXPECT_EQ(h.Volts[1], 12);
    EXPECT_EQ(h.Volts[2], 17);
}

TEST(LoadRecords, ReadsNumbersWithTheUsersDecimalSeparator) {
    HistoryBuffer h;
    const NumberFormat comma{','};
    const std::string text = formatLogRecord({12.5, 1.25, 15.63, 300.5, 7.5}, 1, 9, 30, comma);
    ASSERT_EQ(loadRecords(text, wholeDay(), comma, h).recordCount, 1);
    EXPECT_EQ(h.Volts[1], 12.5);
    EXPECT_EQ(h.Watts[1], 15.63);
    EXPECT_EQ(loadRecords("<V>12.5</V><T>09:30</T>", wholeDay(), comma, h).recordCount, 1);
    EXPECT_EQ(h.Volts[1], 0) << "a point is not the separator of a comma locale";
}

TEST(LoadRecords, StopsBeforeTheTenThousandthRecordInRange) {
    std::string text;
    text.reserve(10'001 * 80);
    text += record(1, 0, 0, 0, 0, 0, 0, 0); // outside the range: does not count
    for (int i = 0; i < 10'000; ++i)
        text += record(12 + i % 3, 0, 0, 0, 0, 0, 1 + i % 22, i % 60);
    HistoryBuffer h;
    const LoadResult over = loadRecords(text, wholeDay(), kPoint, h);
    EXPECT_EQ(over.outcome, QueryOutcome::TooManyRecords);
    EXPECT_EQ(over.recordCount, 9999);

    const std::string lastRemoved = text.substr(0, text.rfind("<V>"));
    const LoadResult full = loadRecords(lastRemoved, wholeDay(), kPoint, h);
    EXPECT_EQ(full.outcome, QueryOutcome::Loaded);
    EXPECT_EQ(full.recordCount, 9999);
}

class HistoryQueryFiles : public ::testing::Test {
protected:
    HistoryQueryFiles() { dir.mkdir("logs"); }
    QueryResult run(const QueryFields& f) { return runHistoryQuery(dir.path(), f, kPoint, h); }
    test::TempDir dir;
    HistoryBuffer h;
};

TEST_F(HistoryQueryFiles, EachQueryAppendsOneEmptyLineAndReadsTheSameRecords) {
    const std::string day = record(12, 1, 12, 0, 0, 0, 8, 0) + record(13, 2, 26, 0, 0, 1, 9, 0);
    dir.write("logs/2006_7_4.txt", day);
    for (int pass = 1; pass <= 2; ++pass) {
        const QueryResult r = run(fieldsFor("2006", "7", "4"));
        EXPECT_EQ(r.outcome, QueryOutcome::Loaded);
        EXPECT_EQ(r.recordCount, 2);
        EXPECT_EQ(h.Volts[2], 13);
    }
    EXPECT_EQ(dir.read("logs/2006_7_4.txt"), day + "\r\n\r\n");
}

TEST_F(HistoryQueryFiles, FileNameFollowsTheFieldsAsTyped) {
    dir.write("logs/2006_1_7.txt", record(12, 1, 12, 0, 0, 0, 8, 0));
    EXPECT_EQ(run(fieldsFor("2006", "01", "7")).outcome, QueryOutcome::NoData);
    EXPECT_EQ(dir.read("logs/2006_01_7.txt"), "\r\n") << "the other name is created empty";
    EXPECT_EQ(run(fieldsFor("2006", "1", "7")).outcome, QueryOutcome::Loaded);
}

TEST_F(HistoryQueryFiles, BadInputTouchesNeitherFileNorBuffer) {
    dir.write("logs/2006_7_4.txt", record(12, 1, 12, 0, 0, 0, 8, 0));
    h.Volts[1] = 42;
    for (const auto& f :
         {fieldsFor("2006", "7", "4", "x"), fieldsFor("2006", "7", "4", "1", "2", "3", "99"),
          fieldsFor("2006", "7", "41")})
        EXPECT_NE(run(f).outcome, QueryOutcome::Loaded);
    EXPECT_EQ(h.Volts[1], 42);
    EXPECT_EQ(dir.read("logs/2006_7_4.txt"), record(12, 1, 12, 0, 0, 0, 8, 0));
    EXPECT_FALSE(fileExists(dir.file("logs/2006_7_41.txt")));
}

TEST_F(HistoryQueryFiles, MissingLogsFolderIsNoDataAndStaysMissing) {
    test::TempDir bare;
    const QueryResult r = runHistoryQuery(bare.path(), fieldsFor("2006", "7", "4"), kPoint, h);
    EXPECT_EQ(r.outcome, QueryOutcome::NoData);
    EXPECT_FALSE(directoryExists(bare.file("logs")));
}

TEST_F(HistoryQueryFiles, ReturnsTheRangeEvenWhenNothingIsFound) {
    const QueryResult r = run(fieldsFor("2006", "7", "4", "6", "15", "18", "45"));
    EXPECT_EQ(r.outcome, QueryOutcome::NoData);
    EXPECT_EQ(r.range.start, (TimeOfDay{6, 15}));
    EXPECT_EQ(r.range.finish, (TimeOfDay{18, 45}));
}

TEST_F(HistoryQueryFiles, BinaryJunkAmongAHundredThousandLinesIsSkipped) {
    // A day's log after a power cut: NUL runs and binary junk between records,
    // 100,000 lines in all.  Only whole records count; the junk is skipped.
    std::string day;
    int records = 0;
    for (int i = 0; i < 100000; ++i) {
        if (i % 20 == 0) {
            day += record(12.5, 1, 12.5, 0, 0, 0, (i / 20) % 24, (i / 20) % 60);
            ++records;
        } else if (i % 3 == 0) {
            day += std::string(17, '\0') + "\xff\xfe<V>\x80</V><T>\r\n";
        } else {
            day += "\x01\x02<T>25:99</T>junk\r\n";
        }
    }
    dir.write("logs/2006_7_4.txt", day);
    const QueryResult r = run(fieldsFor("2006", "7", "4"));
    EXPECT_EQ(r.outcome, QueryOutcome::Loaded);
    EXPECT_LT(r.recordCount, records); // the range excludes 00:00
    EXPECT_GT(r.recordCount, records - 100);
    EXPECT_EQ(h.Volts[1], 12.5);
}

} // namespace
} // namespace korvane
