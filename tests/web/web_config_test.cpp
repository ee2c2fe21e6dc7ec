#include "web/web_config.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvane {
namespace {

TEST(WebConfig, AMissingFileGivesTheDefaultsAndASavedOneReadsBackWithItsEscapes) {
    test::TempDir dir;
    const WebConfig defaults = loadWebConfig(dir.path());
    EXPECT_EQ(defaults, (WebConfig{"0", "127.0.0.1", "8470", ""}));
    EXPECT_EQ(webSettings(defaults), (WebSettings{false, "127.0.0.1", 8470, ""}));

    const WebConfig mine{"1", "0.0.0.0", "8080", "a&b<c>d&amp;"};
    ASSERT_EQ(saveWebConfig(dir.path(), mine), 0);
    EXPECT_EQ(dir.read("web.cfg"), "Web Config File\r\n\r\n<Enabled>1</Enabled>\r\n"
                                   "<Listen>0.0.0.0</Listen>\r\n<Port>8080</Port>\r\n"
                                   "<Password>a&amp;b&lt;c&gt;d&amp;amp;</Password>\r\n\r\n");
    EXPECT_EQ(loadWebConfig(dir.path()), mine);
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("web.cfg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(WebConfig, EachBadFieldIsNamedAndFallsBackToItsDefault) {
    struct Row {
        WebConfig config;
        const char* problemStartsWith; // "" when acceptable
        WebSettings settings;
    } rows[] = {
        {{"1", " 192.168.1.5 ", "8470", "pw"}, "", {true, "192.168.1.5", 8470, "pw"}},
        {{"1", "::", "1", ""}, "", {true, "::", 1, ""}},
        {{"1", "::1", "65535", ""}, "", {true, "::1", 65535, ""}},
        {{"0", "localhost", "8470", ""}, "Listen must", {false, "127.0.0.1", 8470, ""}},
        {{"0", "192.168.1", "8470", ""}, "Listen must", {false, "127.0.0.1", 8470, ""}},
        {{"0", "", "8470", ""}, "Listen must", {false, "127.0.0.1", 8470, ""}},
        {{"0", "127.0.0.1", "0", ""}, "Port must", {false, "127.0.0.1", 8470, ""}},
        {{"0", "127.0.0.1", "65536", ""}, "Port must", {false, "127.0.0.1", 8470, ""}},
        {{"0", "127.0.0.1", "80.5", ""}, "Port must", {false, "127.0.0.1", 8470, ""}},
        {{"0", "127.0.0.1", "http", ""}, "Port must", {false, "127.0.0.1", 8470, ""}},
        {{"1", "127.0.0.1", "8470", "two\nlines"}, "Password must", {true, "127.0.0.1", 8470, ""}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.config.Listen + " " + r.config.Port);
        std::string problem;
        EXPECT_EQ(webSettings(r.config, &problem), r.settings);
        EXPECT_EQ(problem.rfind(r.problemStartsWith, 0), 0u) << problem;
        EXPECT_EQ(problem.empty(), std::string(r.problemStartsWith).empty());
        EXPECT_EQ(webConfigProblem(r.config), problem);
    }
}

TEST(WebConfig, LoopbackAndTheUrlsToType) {
    struct Row {
        const char* address;
        bool beyond;
    } rows[] = {{"127.0.0.1", false}, {"127.8.0.1", false}, {"::1", false},
                {"0.0.0.0", true},    {"::", true},         {"192.168.1.5", true},
                {"fd00::5", true},    {"nonsense", false}};
    for (const Row& r : rows)
        EXPECT_EQ(listensBeyondLoopback(r.address), r.beyond) << r.address;

    EXPECT_EQ(dashboardUrls({true, "127.0.0.1", 8470, ""}),
              std::vector<std::string>{"http://127.0.0.1:8470/"});
    EXPECT_EQ(dashboardUrls({true, "fd00::5", 8470, ""}, 9000),
              std::vector<std::string>{"http://[fd00::5]:9000/"});
    // Every address: one URL per interface address, loopback last.
    const auto all = dashboardUrls({true, "0.0.0.0", 8470, ""});
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back(), "http://127.0.0.1:8470/");
}

TEST(WebConfig, TheServicesFirstStartTurnsItOnForTheLanOnce) {
    test::TempDir dir;
    int error = -1;
    const auto urls = enableWebOnFirstStart(dir.path(), &error);
    EXPECT_EQ(error, 0);
    ASSERT_FALSE(urls.empty());
    EXPECT_NE(urls.back().find(":8470/"), std::string::npos);
    EXPECT_EQ(loadWebConfig(dir.path()), (WebConfig{"1", "0.0.0.0", "8470", ""}));

    // A file the user has is never touched again.
    ASSERT_EQ(saveWebConfig(dir.path(), {"0", "127.0.0.1", "9000", ""}), 0);
    EXPECT_TRUE(enableWebOnFirstStart(dir.path(), &error).empty());
    EXPECT_EQ(loadWebConfig(dir.path()).Port, "9000");

    // A folder that is not there: nothing written, and why.
    EXPECT_TRUE(enableWebOnFirstStart(dir.file("missing"), &error).empty());
    EXPECT_NE(error, 0);
}

} // namespace
} // namespace korvane
