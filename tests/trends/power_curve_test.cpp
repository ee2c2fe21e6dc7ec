#include "trends/power_curve.h"

#include <cmath>
#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(PowerCurve, BinsHoldTheirLowerEdgeAndMeanTheirWatts) {
    const std::vector<WindPowerPoint> points{{0.0, 0},    {0.999, 10}, {1.0, 20},  {1.5, 40},
                                             {1.999, 60}, {3.0, 300},  {3.25, 500}};
    const std::vector<CurveBin> bins = binPowerCurve(points, 1);
    ASSERT_EQ(bins.size(), 3u);
    EXPECT_EQ(bins[0].windFrom, 0);
    EXPECT_EQ(bins[0].windTo, 1);
    EXPECT_EQ(bins[0].minutes, 2);
    EXPECT_DOUBLE_EQ(bins[0].meanWatts, 5);
    EXPECT_FALSE(bins[0].reliable);
    EXPECT_EQ(bins[1].minutes, 3);
    EXPECT_DOUBLE_EQ(bins[1].meanWatts, 40);
    EXPECT_TRUE(bins[1].reliable);
    EXPECT_EQ(bins[2].windFrom, 3); // bin [2, 3) is empty and left out
    EXPECT_DOUBLE_EQ(bins[2].meanWatts, 400);
    EXPECT_DOUBLE_EQ(bins[2].windMid(), 3.5);
}

TEST(PowerCurve, EdgesAreExactAtTheStoresResolution) {
    // 0.3 is not a multiple of a binary fraction: 0.9 / 0.3 rounds to 2.9999...
    const std::vector<WindPowerPoint> points{{0.9, 1}, {0.6, 1}, {0.75, 2}};
    const std::vector<CurveBin> bins = binPowerCurve(points, 0.3);
    ASSERT_EQ(bins.size(), 2u);
    EXPECT_DOUBLE_EQ(bins[0].windFrom, 0.6);
    EXPECT_EQ(bins[0].minutes, 2);
    EXPECT_DOUBLE_EQ(bins[1].windFrom, 0.9);
    EXPECT_EQ(bins[1].minutes, 1);
    // A quarter-unit width puts 0.75 at the start of its bin.
    const std::vector<CurveBin> quarters = binPowerCurve(points, 0.25);
    EXPECT_DOUBLE_EQ(quarters[1].windFrom, 0.75);
    EXPECT_EQ(quarters[1].minutes, 2);
}

TEST(PowerCurve, WidthIsHeldToItsLimits) {
    const struct {
        double asked, used;
    } rows[] = {{0.1, 0.25}, {0.25, 0.25}, {2.5, 2.5}, {5, 5}, {7, 5}, {-1, 0.25}, {NAN, 1}};
    for (const auto& r : rows)
        EXPECT_EQ(clampBinWidth(r.asked), r.used) << r.asked;
    const std::vector<WindPowerPoint> points{{1, 1}, {9.9, 1}};
    EXPECT_EQ(binPowerCurve(points, 100).size(), 2u); // 5 wide: [0, 5) and [5, 10)
    EXPECT_TRUE(binPowerCurve({}, 1).empty());
    // A wild wind far from the rest still gets its own bin.
    const std::vector<WindPowerPoint> wild{{2, 10}, {2.5, 20}, {2e6, 5}};
    const std::vector<CurveBin> apart = binPowerCurve(wild, 0.25);
    ASSERT_EQ(apart.size(), 3u);
    EXPECT_EQ(apart[2].windFrom, 2e6);
    EXPECT_EQ(apart[2].minutes, 1);
}

TEST(PowerCurve, ThinnedScatterKeepsOnePointPerCellAndTheExtremes) {
    // A 200 x 200 grid of points covers every cell of a 50 x 40 grid.
    std::vector<WindPowerPoint> points;
    for (int i = 0; i < 200; ++i)
        for (int j = 0; j < 200; ++j)
            points.push_back({i * 0.05, j * 5.0});
    const std::vector<WindPowerPoint> thin = thinScatter(points, 50, 40);
    EXPECT_EQ(thin.size(), 2000u);
    const auto has = [&](double wind, double watts) {
        for (const auto& p : thin)
            if (p.wind == wind && p.watts == watts)
                return true;
        return false;
    };
    EXPECT_TRUE(has(0, 0)); // the first point always stands for its cell
    EXPECT_EQ(thinScatter(std::vector<WindPowerPoint>(10, {2, 3}), 50, 40).size(), 1u);
    EXPECT_TRUE(thinScatter({}, 50, 40).empty());
}

} // namespace
} // namespace korvane
