#include "recording/logging_tick.h"
#include "recording/spreadsheet.h"
#include "recording/web_outputs.h"
#include "support/temp_dir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::TempDir;

const NumberFormat kDot{'.'};
const IntervalPeaks kPeaks{13.52, 4.1, 55.43, 350.5, 12.3};
const LocalDateTime kTickTime{2006, 7, 4, 14, 5, 9, 0};

// A short date with another separator, to check the history file name.
class DashedDates final : public TimeFormats {
public:
    explicit DashedDates(char sep) : sep_(sep) {}
    std::string shortDate(const LocalDateTime& t) const override {
        return std::to_string(t.year) + sep_ + std::to_string(t.month) + sep_ +
               std::to_string(t.day);
    }
    std::string longTime(const LocalDateTime& t) const override { return fixed_.longTime(t); }
    std::string shortTime(int h, int m) const override { return fixed_.shortTime(h, m); }

private:
    char sep_;
    FixedTimeFormats fixed_;
};

struct Site {
    TempDir dir;
    FakeClock clock{kTickTime};
    FixedTimeFormats formats;
    LogWriter log{dir.path()};

    Site() {
        dir.mkdir("logs");
        dir.mkdir("html");
        dir.mkdir("Excel");
    }
    TickResult tick(const TickInputs& in) {
        return writeLoggingTick(log, dir.path(), in, clock, formats, kDot);
    }
};

TickInputs allOutputs(std::int16_t mode, const std::string& units = "km/h") {
    return {kPeaks, mode, 1234.5678, true, true, units};
}

TEST(WebOutputs, HistoryLineIsByteExactWithAndWithoutLoad) {
    Site site;
    site.tick(allOutputs(1));
    site.clock.advanceSeconds(60);
    site.tick(allOutputs(0));
    EXPECT_EQ(site.dir.read("html/history4_07_2006.txt"),
              "13.52V\t\t4.1A\t\t55.43W\t\t350.5RPM\t\t12.3km/h\t\tLoad On\t\t14:05:09\r\n"
              "13.52V\t\t4.1A\t\t55.43W\t\t350.5RPM\t\t12.3km/h\t\t\t\t14:06:09\r\n");
}

TEST(WebOutputs, TemplateIsFilledInOrderAndWrittenWithAFinalLineEnd) {
    Site site;
    site.dir.write("html/template.asp",
                   "<p><VV> V <II> A <WW> W <WH> Wh <RR> rpm <SS> at <TT> <MM></p>\r\n"
                   "again <VV>, not <vv>; <V<MM>V>");
    site.tick(allOutputs(0));
    EXPECT_EQ(site.dir.read("html/log.asp"),
              "<p>13.52 V 4.1 A 55.43 W 1234.5678 Wh 350.5 rpm 12.3 at 14:05:09 </p>\r\n"
              "again 13.52, not <vv>; <VV>\r\n");
    site.tick(allOutputs(1));
    EXPECT_NE(site.dir.read("html/log.asp").find("Load On</p>"), std::string::npos);
}

TEST(WebOutputs, TemplateWithoutPlaceholdersIsCopiedUnchanged) {
    Site site;
    site.dir.write("html/template.asp", "<html>plain</html>");
    site.tick(allOutputs(1));
    EXPECT_EQ(site.dir.read("html/log.asp"), "<html>plain</html>\r\n");
}

TEST(WebOutputs, HistoryFileNameReplacesOnlySlashes) {
    EXPECT_EQ(historyFileName("4/07/2006"), "history4_07_2006.txt");
    EXPECT_EQ(historyFileName("2006-07-04"), "history2006-07-04.txt");
    for (char sep : {'-', '.'}) {
        TempDir dir;
        dir.mkdir("html");
        FakeClock clock(kTickTime);
        writeWebOutputs(dir.path(), kPeaks, 0, "", "km/h", clock, DashedDates(sep), kDot);
        EXPECT_TRUE(std::filesystem::exists(
            dir.file(std::string("html/history2006") + sep + "7" + sep + "4.txt")));
    }
}

TEST(Spreadsheet, HeaderOnlyWhenTheDayFileIsNewAndUnitsAsAtCreation) {
    Site site;
    site.tick(allOutputs(1, "km/h"));
    site.clock.advanceSeconds(60);
    site.tick(allOutputs(0, "mph")); // units changed mid-day: header stays
    EXPECT_EQ(site.dir.read("Excel/2006_7_4.xls"),
              "<html><body><table><tr><td><b>Volts</b></td><td><b>Amps</b></td><td><b>Watts</b>"
              "</td><td><b>RPM</b></td><td><b>km/h</b></td><td><b>Mode</b></td><td><b>Time</b>"
              "</td></tr>\r\n\r\n"
              "<tr><td>13.52</td><td>4.1</td><td>55.43</td><td>350.5</td><td>12.3</td><td>Load On"
              "</td><td>14:05:09</td></tr>\r\n\r\n"
              "<tr><td>13.52</td><td>4.1</td><td>55.43</td><td>350.5</td><td>12.3</td><td></td>"
              "<td>14:06:09</td></tr>\r\n\r\n");
}

TEST(Spreadsheet, AnExistingEmptyFileGetsNoHeader) {
    Site site;
    site.dir.write("Excel/2006_7_4.xls", "");
    site.tick(allOutputs(0));
    EXPECT_EQ(site.dir.read("Excel/2006_7_4.xls").rfind("<tr><td>13.52", 0), 0u);
}

TEST(LoggingTick, MissingFoldersAreCreatedAndAMissingTemplateIsReported) {
    TempDir dir; // no logs, html or Excel folder and no template
    FakeClock clock(kTickTime);
    FixedTimeFormats formats;
    LogWriter log(dir.path());
    const auto r = writeLoggingTick(log, dir.path(), allOutputs(1), clock, formats, kDot);
    EXPECT_TRUE(r.recordWritten);
    EXPECT_TRUE(r.historyWritten);
    EXPECT_FALSE(r.pageWritten);
    EXPECT_TRUE(r.rowWritten);
    EXPECT_EQ(dir.read("logs/2006_7_4.txt"),
              "<V>13.52</V><I>4.1</I><W>55.43</W><R>350.5</R><S>12.3</S><M>1</M><T>14:05</T>\r\n");
    EXPECT_TRUE(std::filesystem::exists(dir.file("html/history4_07_2006.txt")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("Excel/2006_7_4.xls")));
    ASSERT_TRUE(r.webFault);
    EXPECT_EQ(*r.webFault, (FileFault{dir.file("html/template.asp"), ENOENT}));
    EXPECT_FALSE(r.spreadsheetFault);
}

TEST(LoggingTick, OutputsThatCannotBeWrittenSayWhichAndNeverHoldTheRecord) {
    TempDir dir;
    dir.write("html", "a file where the folder should be");
    dir.mkdir("Excel/2006_7_4.xls"); // a folder where the day's sheet should be
    FakeClock clock(kTickTime);
    FixedTimeFormats formats;
    LogWriter log(dir.path());
    const auto r = writeLoggingTick(log, dir.path(), allOutputs(1), clock, formats, kDot);
    EXPECT_TRUE(r.recordWritten);
    EXPECT_EQ(r.webFault, (FileFault{dir.file("html"), ENOTDIR}));
    EXPECT_EQ(r.spreadsheetFault, (FileFault{dir.file("Excel/2006_7_4.xls"), EISDIR}));
}

TEST(LoggingTick, MissingTemplateSkipsOnlyThePage) {
    Site site;
    const auto r = site.tick(allOutputs(1));
    EXPECT_TRUE(r.recordWritten && r.historyWritten && r.rowWritten);
    EXPECT_FALSE(r.pageWritten);
}

TEST(LoggingTick, SwitchesOffWriteOnlyTheRecord) {
    Site site;
    site.dir.write("html/template.asp", "<VV>");
    TickInputs in = allOutputs(1);
    in.saveHtml = false;
    in.saveExcel = false;
    site.tick(in);
    EXPECT_FALSE(std::filesystem::exists(site.dir.file("html/log.asp")));
    EXPECT_FALSE(std::filesystem::exists(site.dir.file("Excel/2006_7_4.xls")));
    EXPECT_TRUE(std::filesystem::exists(site.dir.file("logs/2006_7_4.txt")));
}

TEST(LoggingTick, DecimalCommaReachesEveryOutput) {
    Site site;
    site.dir.write("html/template.asp", "<VV>|<WH>");
    writeLoggingTick(site.log, site.dir.path(), allOutputs(1), site.clock, site.formats,
                     NumberFormat{','});
    EXPECT_EQ(site.dir.read("html/log.asp"), "13,52|1234,5678\r\n");
    EXPECT_EQ(site.dir.read("logs/2006_7_4.txt").substr(0, 12), "<V>13,52</V>");
    EXPECT_NE(site.dir.read("Excel/2006_7_4.xls").find("<td>13,52</td>"), std::string::npos);
}

} // namespace
} // namespace korvane
