#include "trends/maker_curve.h"

#include <cmath>
#include <gtest/gtest.h>

namespace korvane {
namespace {

const std::vector<CurvePoint> kCurve{{12, 0}, {15, 60}, {20, 150}};

TEST(MakerCurve, InterpolatesStraightBetweenPointsAndPromisesNothingOutside) {
    const struct {
        double wind, watts;
    } rows[] = {{11.99, 0},  {12, 0},   {13.5, 30}, {15, 60},
                {17.5, 105}, {20, 150}, {20.01, 0}, {-3, 0}};
    for (const auto& r : rows)
        EXPECT_DOUBLE_EQ(curveWattsAt(kCurve, r.wind), r.watts) << r.wind;
    EXPECT_TRUE(insideCurve(kCurve, 20));
    EXPECT_FALSE(insideCurve(kCurve, 20.01));
    const std::vector<CurvePoint> one{{12, 50}};
    EXPECT_EQ(curveWattsAt(one, 12), 0);
    EXPECT_FALSE(insideCurve(one, 12));
}

TEST(MakerCurve, TheFilesPairsReadBackAsWritten) {
    const ParsedCurve read = parseMakerCurve("12:0  15:60\t20:150 ");
    ASSERT_TRUE(read.ok()) << read.problem;
    EXPECT_EQ(read.points, kCurve);
    EXPECT_EQ(formatMakerCurve(kCurve), "12:0 15:60 20:150");
    EXPECT_EQ(formatMakerCurve(parseMakerCurve("2,5:0,75 3:1").points), "2.5:0.75 3:1");
    EXPECT_TRUE(parseMakerCurve("").ok());
    EXPECT_TRUE(parseMakerCurve("").points.empty());
}

TEST(MakerCurve, BadRowsAreRefusedNamingTheRow) {
    const struct {
        std::vector<CurveTextRow> rows;
        const char* problem;
    } cases[] = {
        {{{1, "12", "0"}}, "The maker's curve needs at least 2 rows of wind speed and watts."},
        {{{1, "12", "0"}, {2, "12", "5"}},
         "Maker's curve, row 2: the wind speed 12 is not above the one before; wind speeds "
         "must increase."},
        {{{1, "12", "0"}, {4, "15", "-1"}}, "Maker's curve, row 4: the watts -1 are negative."},
        {{{1, "-2", "0"}, {2, "15", "1"}}, "Maker's curve, row 1: the wind speed -2 is negative."},
        {{{1, "12", "0"}, {2, "15 km/h", "1"}},
         "Maker's curve, row 2: the wind speed \"15 km/h\" is not a number."},
        {{{1, "12", "0"}, {2, "15", ""}}, "Maker's curve, row 2: the watts \"\" are not a number."},
    };
    for (const auto& c : cases) {
        const ParsedCurve r = parseCurveRows(c.rows, "Maker's curve, row");
        EXPECT_EQ(r.problem, c.problem);
        EXPECT_TRUE(r.points.empty());
    }
    EXPECT_EQ(parseMakerCurve("12:0 15").problem,
              "Maker's curve, pair 2: the watts \"\" are not a number.");
}

TEST(MakerCurve, CsvTakesAHeaderSkipsBlanksAndConvertsTheWind) {
    // Semicolons and decimal commas, as a spreadsheet in a comma locale writes.
    const ParsedCurve r =
        parseCurveCsv("Wind (m/s);Power (W)\r\n\r\n3;0\r\n4,5;20;;\r\n\r\n\"10\";300\r\n", 3.6);
    ASSERT_TRUE(r.ok()) << r.problem;
    ASSERT_EQ(r.points.size(), 3u);
    EXPECT_DOUBLE_EQ(r.points[0].wind, 10.8);
    EXPECT_DOUBLE_EQ(r.points[1].wind, 16.2);
    EXPECT_DOUBLE_EQ(r.points[1].watts, 20);
    EXPECT_DOUBLE_EQ(r.points[2].wind, 36);

    EXPECT_EQ(parseCurveCsv("wind,watts\n3,0\n\n4,abc\n").problem,
              "line 4: the watts \"abc\" are not a number.");
    EXPECT_EQ(parseCurveCsv("3,0,1\n").problem,
              "line 1: 3 columns, where the file should have two (wind speed, watts).");
    EXPECT_EQ(parseCurveCsv("wind,watts\n\n").problem,
              "The file holds no rows of wind speed and watts.");
}

TEST(MakerCurve, WindUnitsAreNamedLooselyAndConvertedExactly) {
    EXPECT_EQ(windUnitOf(" KM/H "), WindUnit::KilometresPerHour);
    EXPECT_EQ(windUnitOf("kts"), WindUnit::Knots);
    EXPECT_EQ(windUnitOf("mps"), WindUnit::MetresPerSecond);
    EXPECT_FALSE(windUnitOf("furlongs/fortnight"));
    const struct {
        WindUnit from, to;
        double factor;
    } rows[] = {{WindUnit::MetresPerSecond, WindUnit::KilometresPerHour, 3.6},
                {WindUnit::MilesPerHour, WindUnit::KilometresPerHour, 1.609344},
                {WindUnit::Knots, WindUnit::KilometresPerHour, 1.852},
                {WindUnit::Knots, WindUnit::MetresPerSecond, 0.514444444},
                {WindUnit::MilesPerHour, WindUnit::MilesPerHour, 1}};
    for (const auto& r : rows)
        EXPECT_NEAR(windFactor(r.from, r.to), r.factor, 1e-9) << windUnitName(r.from);
}

} // namespace
} // namespace korvane
