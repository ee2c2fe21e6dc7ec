#include "trends/days_table.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

DayTotal fullDay() {
    DayTotal d;
    d.date = 20261208;
    d.minutes = 1440;
    d.packets = 8640;
    d.wh = 1234.5678;
    d.voltsMin = 12.05;
    d.voltsMax = 14.4;
    d.wattsMax = 512.25;
    d.windMax = 31.5;
    d.loadOnMinutes = 90.123456;
    return d;
}

DayTotal importedDay() {
    DayTotal d;
    d.date = 20261209;
    d.voltsMin = 11.9;
    d.voltsMax = 13.1;
    d.wattsMax = 88;
    d.windMax = 12;
    return d;
}

TEST(DaysTable, CellsRoundToTheStoredResolutionAndLeaveUnknownsEmpty) {
    const NumberFormat comma{','};
    const DayTotal full = fullDay(), imported = importedDay();
    const struct {
        DayColumn column;
        const char *full, *imported;
    } rows[] = {
        {DayColumn::Day, "2026-12-08", "2026-12-09"}, {DayColumn::Energy, "1234,57", ""},
        {DayColumn::VoltsMin, "12,05", "11,9"},       {DayColumn::VoltsMax, "14,4", "13,1"},
        {DayColumn::WattsMax, "512,25", "88"},        {DayColumn::WindMax, "31,5", "12"},
        {DayColumn::LoadOnMinutes, "90,12", ""},      {DayColumn::Packets, "8640", ""},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(dayCellText(full, r.column, comma), r.full) << static_cast<int>(r.column);
        EXPECT_EQ(dayCellText(imported, r.column, comma), r.imported) << static_cast<int>(r.column);
    }
    EXPECT_EQ(dayCellValue(full, DayColumn::Day), 20261208);
    EXPECT_EQ(dayCellValue(full, DayColumn::Energy), 1234.57);
    EXPECT_FALSE(dayCellValue(imported, DayColumn::Energy));
}

TEST(DaysTable, TheTableWritesEachColumnWithItsOwnDecimals) {
    const NumberFormat point{'.'};
    DayTotal d = fullDay();
    d.wh = 10;
    d.voltsMax = 14;
    d.windMax = 9;
    const struct {
        DayColumn column;
        const char* text;
    } rows[] = {{DayColumn::Energy, "10.00"},        {DayColumn::VoltsMin, "12.05"},
                {DayColumn::VoltsMax, "14.00"},      {DayColumn::WindMax, "9.0"},
                {DayColumn::LoadOnMinutes, "90.12"}, {DayColumn::Packets, "8640"}};
    for (const auto& r : rows)
        EXPECT_EQ(dayCellFixedText(d, r.column, point), r.text) << static_cast<int>(r.column);
    EXPECT_EQ(dayCellFixedText(d, DayColumn::Index, point, 87.25), "87.2");
    EXPECT_EQ(dayCellFixedText(d, DayColumn::Index, point), "");
    EXPECT_EQ(dayCellValue(d, DayColumn::Index, 87.26), 87.3);
    EXPECT_EQ(dayCellFixedText(importedDay(), DayColumn::Energy, point), "");
}

TEST(DaysTable, CsvFieldsAreQuotedOnlyWhenTheyMustBe) {
    const struct {
        const char *in, *out;
    } rows[] = {{"km/h", "km/h"},
                {"", ""},
                {"a,b", "\"a,b\""},
                {"say \"hi\"", "\"say \"\"hi\"\"\""},
                {"two\r\nlines", "\"two\r\nlines\""},
                {"line\n", "\"line\n\""}};
    for (const auto& r : rows)
        EXPECT_EQ(csvField(r.in), r.out) << r.in;
}

TEST(DaysTable, CsvHasAHeaderDotDecimalsAndCrLfRows) {
    EXPECT_EQ(daysCsv({fullDay(), importedDay()}, "m,s", {96.25, std::nullopt}),
              "Day,Energy (Wh),Min volts,Max volts,Peak watts,\"Max wind (m,s)\","
              "Load on (min),Packets,Index (%)\r\n"
              "2026-12-08,1234.57,12.05,14.4,512.25,31.5,90.12,8640,96.2\r\n"
              "2026-12-09,,11.9,13.1,88,12,,,\r\n");
    EXPECT_EQ(daysCsv({}, "km/h"), "Day,Energy (Wh),Min volts,Max volts,Peak watts,"
                                   "Max wind (km/h),Load on (min),Packets,Index (%)\r\n");
}

} // namespace
} // namespace korvane
