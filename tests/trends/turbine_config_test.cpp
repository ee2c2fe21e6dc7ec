#include "trends/turbine_config.h"

#include "platform/files.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(TurbineConfig, WritesTheFiveTagsEscapedAndReadsThemBack) {
    TurbineConfig c;
    c.LoadAmps = "8.6";
    c.IdleAmps = "0.4";
    c.MakerCurve = "12:0 15:60";
    c.RefFrom = "2026-06-01";
    c.RefTo = "a<b&c";
    const std::string text = formatTurbineConfig(c);
    EXPECT_EQ(text,
              "Turbine Config File\r\n\r\n<LoadAmps>8.6</LoadAmps>\r\n<IdleAmps>0.4</IdleAmps>"
              "\r\n<MakerCurve>12:0 15:60</MakerCurve>\r\n<RefFrom>2026-06-01</RefFrom>\r\n"
              "<RefTo>a&lt;b&amp;c</RefTo>\r\n\r\n");
    EXPECT_EQ(parseTurbineConfig(text), c);
    // A missing file or key is the defaults: no currents, no curve, no reference.
    EXPECT_EQ(parseTurbineConfig("<IdleAmps>1</IdleAmps>").LoadAmps, "0");
    EXPECT_EQ(parseTurbineConfig("").MakerCurve, "");

    test::TempDir dir;
    EXPECT_EQ(loadTurbineConfig(dir.path()), TurbineConfig{});
    ASSERT_EQ(saveTurbineConfig(dir.path(), c), 0);
    EXPECT_EQ(dir.read("turbine.cfg"), text);
    EXPECT_NE(saveTurbineConfig(dir.file("missing-folder"), c), 0);
}

TEST(TurbineConfig, RefusesCurrentsOutOfRangeAndBadDatesNamingTheField) {
    const auto with = [](auto set) {
        TurbineConfig c;
        set(c);
        return turbineConfigProblem(c);
    };
    EXPECT_EQ(with([](TurbineConfig&) {}), "");
    EXPECT_EQ(with([](TurbineConfig& c) { c.LoadAmps = "-0.5"; }),
              "The load current must be from 0 to 1,000 A (it is -0.5 A).");
    EXPECT_EQ(with([](TurbineConfig& c) { c.LoadAmps = "1000.1"; }),
              "The load current must be from 0 to 1,000 A (it is 1000.1 A).");
    EXPECT_EQ(with([](TurbineConfig& c) { c.LoadAmps = "1000"; }), "");
    EXPECT_EQ(with([](TurbineConfig& c) { c.IdleAmps = "lots"; }),
              "The other draw \"lots\" is not a number.");
    EXPECT_EQ(with([](TurbineConfig& c) { c.IdleAmps = "0,4"; }), ""); // a comma reads too
    EXPECT_EQ(with([](TurbineConfig& c) { c.RefFrom = "2026-06-01"; }),
              "The reference period \"2026-06-01\" to \"\" is not two dates written as "
              "yyyy-mm-dd.");
    EXPECT_EQ(with([](TurbineConfig& c) {
                  c.RefFrom = "2026-02-29";
                  c.RefTo = "2026-03-01";
              }),
              "The reference period \"2026-02-29\" to \"2026-03-01\" is not two dates written as "
              "yyyy-mm-dd.");
}

TEST(TurbineConfig, SettingsTakeDefaultsForBadFieldsAndOrderTheReference) {
    TurbineConfig c;
    c.LoadAmps = "9";
    c.IdleAmps = "-1";
    c.MakerCurve = "12:0 15:60 20:150";
    c.RefFrom = "2026-06-30";
    c.RefTo = "2026-06-01";
    std::string problem;
    const TurbineSettings s = turbineSettings(c, &problem);
    EXPECT_EQ(problem, "The other draw must be from 0 to 1,000 A (it is -1 A).");
    EXPECT_EQ(s.loadAmps, 9);
    EXPECT_EQ(s.idleAmps, 0);
    EXPECT_EQ(s.maker.size(), 3u);
    EXPECT_EQ(s.reference, (DateRange{20260601, 20260630}));
    c.MakerCurve = "15:0 12:5";
    EXPECT_TRUE(turbineSettings(c).maker.empty());
    EXPECT_EQ(parseIsoDate("2024-02-29"), 20240229);
    EXPECT_FALSE(parseIsoDate("2026-6-01"));
}

} // namespace
} // namespace korvane
