#include "web/web_routes.h"

#include "platform/files.h"
#include "support/temp_dir.h"
#include "trends/store_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::minuteOf;

constexpr std::int64_t kNowMs = 1772582400000; // 2026-03-04T00:00:00Z

class WebRoutesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        LiveSnapshot s;
        s.windUnits = "km/h";
        board.publish(s);
    }
    WebReply get(const std::string& path, QueryArgs args = {}) const {
        return routes.handle({path, std::move(args), {}});
    }
    void writeStore(const std::vector<MinuteSummary>& minutes) const {
        test::writeMinutes(dir.file("korvane.db"), minutes);
    }

    test::TempDir dir;
    SnapshotBoard board;
    WebRoutes routes{dir.path(), dir.file("korvane.db"), board, [] { return kNowMs; }};
};

TEST_F(WebRoutesTest, EveryParameterCaseOfTheApi) {
    writeStore({minuteOf(20260301, 600, 4, 100, 1.5)});
    struct Row {
        const char* path;
        QueryArgs args;
        int status;
        const char* parameter; // named in the error, "" when none
    } rows[] = {
        {"/api/minutes", {}, 200, ""},
        {"/api/minutes", {{"from", "2026-03-01"}, {"to", "2026-03-01"}}, 200, ""},
        {"/api/minutes", {{"from", "2026-02-30"}}, 400, "from"},
        {"/api/minutes", {{"from", "2026-03-02"}, {"to", "2026-03-01"}}, 400, "from"},
        {"/api/days", {{"from", "2016-01-01"}, {"to", "2025-12-31"}}, 200, ""},
        {"/api/days", {{"from", "2016-01-01"}, {"to", "2026-01-01"}}, 400, "to"},
        {"/api/days", {{"to", "03/01/2026"}}, 400, "to"},
        {"/api/days.csv", {{"from", "x"}}, 400, "from"},
        {"/api/power-curve", {{"bin", "0.25"}}, 200, ""},
        {"/api/power-curve", {{"bin", "5"}}, 200, ""},
        {"/api/power-curve", {{"bin", "0.24"}}, 400, "bin"},
        {"/api/power-curve", {{"bin", "6"}}, 400, "bin"},
        {"/api/power-curve", {{"bin", "inf"}}, 400, "bin"},
        {"/api/power-curve", {{"bin", "1"}, {"bin", "2"}}, 400, "bin"},
        {"/api/power-curve", {{"from", "2026-13-01"}, {"bin", "1"}}, 400, "from"},
        {"/api/alarms", {{"from", "2026-03-01"}, {"to", "2026-03-31"}}, 200, ""},
        {"/api/alarms", {{"to", "2026-3-31"}}, 400, "to"},
        {"/api/nothing", {}, 404, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.path) + (r.args.empty() ? "" : " " + r.args[0].second));
        const WebReply reply = get(r.path, r.args);
        EXPECT_EQ(reply.status, r.status);
        if (r.path != std::string("/api/days.csv") || r.status != 200) {
            EXPECT_EQ(reply.contentType, "application/json");
        }
        EXPECT_EQ(reply.body.rfind(R"({"schema":1,)", 0), 0u) << reply.body;
        const std::string named = std::string(R"("parameter":")") + r.parameter + "\"";
        EXPECT_EQ(reply.body.find(named) != std::string::npos, *r.parameter != 0) << reply.body;
    }
}

TEST_F(WebRoutesTest, TheStoreAnswersWithKnownValues) {
    writeStore({minuteOf(20260301, 600, 4, 100, 1.5), minuteOf(20260301, 601, 5, 150, 2.5),
                minuteOf(20260303, 0, 8, 400, 6)});
    {
        auto opened = HistoryStore::open(dir.file("korvane.db"), 0);
        ASSERT_TRUE(opened.result.ok());
        const AlarmEventRow raised{1772359200, "Battery low", "raised", 11.42}; // 03-01 10:00
        ASSERT_TRUE(opened.store->recordAlarmEvents({&raised, 1}).ok());
    }
    const QueryArgs range = {{"from", "2026-03-01"}, {"to", "2026-03-03"}};

    const std::string days = get("/api/days", range).body;
    EXPECT_NE(days.find(R"("total_wh":10,"mean_wh":5,"known_days":2,"unknown_days":0)"),
              std::string::npos)
        << days;
    EXPECT_NE(days.find(R"({"date":"2026-03-01","day":"2026_3_1","first":"2026-03-01T10:00:00Z",)"
                        R"("last":"2026-03-01T10:01:00Z","minutes":2,"packets":12,"wh":4,)"
                        R"("volts_min":12.5,"volts_max":13.5,"watts_max":225,"wind_max":7,)"
                        R"("load_on_min":1})"),
              std::string::npos)
        << days;

    const WebReply csv = get("/api/days.csv", range);
    EXPECT_EQ(csv.contentType, "text/csv; charset=utf-8");
    EXPECT_NE(csv.body.find("Max wind (km/h)"), std::string::npos);
    EXPECT_NE(csv.body.find("\r\n2026-03-01,4,12.5,13.5,225,7,1,12"), std::string::npos)
        << csv.body;
    EXPECT_EQ(csv.headers.at(0).second,
              "attachment; filename=\"korvane-days-2026-03-01-2026-03-03.csv\"");

    const std::string minutes =
        get("/api/minutes", {{"from", "2026-03-01"}, {"to", "2026-03-01"}}).body;
    EXPECT_NE(minutes.find(R"("minutes":2,"bucket_s":60,"thinned":false)"), std::string::npos);
    EXPECT_NE(minutes.find(R"("time":"2026-03-01T10:01:00Z","day":"2026_3_1","packets":6,)"),
              std::string::npos)
        << minutes;
    EXPECT_NE(minutes.find(R"("watts_mean":150,)"), std::string::npos);

    const std::string curve = get("/api/power-curve", range).body;
    EXPECT_NE(curve.find(R"("bin":1,"wind_unit":"km/h","minutes":3,"reliable_minutes":3,)"
                         R"("bins":[{"wind_from":4,"wind_to":5,"minutes":1,"mean_watts":100,)"
                         R"("reliable":false},{"wind_from":5,)"),
              std::string::npos)
        << curve;
    EXPECT_NE(curve.find(R"("points":[[4,100],)"), std::string::npos);

    const std::string alarms = get("/api/alarms", range).body;
    EXPECT_NE(alarms.find(R"("events":[{"time":"2026-03-01T10:00:00Z","day":"2026_3_1",)"
                          R"("local_time":"10:00","alarm":"Battery low","state":"raised",)"
                          R"("value":11.42,"unit":"V"}])"),
              std::string::npos)
        << alarms;
}

TEST_F(WebRoutesTest, TheDaysCsvCarriesEachDaysTurbineIndex) {
    // An hour at 100 W against a maker's curve of a flat 80 W: 125 %.  The
    // next day's few minutes are too little wind to say.
    std::vector<MinuteSummary> minutes;
    for (int m = 0; m < 60; ++m)
        minutes.push_back(minuteOf(20260302, 600 + m, 10, 100, 1.5));
    minutes.push_back(minuteOf(20260303, 600, 10, 100, 1.5));
    writeStore(minutes);
    dir.write("turbine.cfg", "<MakerCurve>0:80 20:80</MakerCurve>");
    const std::string csv =
        get("/api/days.csv", {{"from", "2026-03-02"}, {"to", "2026-03-03"}}).body;
    EXPECT_NE(csv.find("\r\n2026-03-02,90,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",125\r\n2026-03-03,"), std::string::npos) << csv;
    EXPECT_EQ(csv.substr(csv.size() - 3), ",\r\n") << csv;
}

TEST_F(WebRoutesTest, NoStoreIsEmptyAndIsNotCreatedAReplacedStoreIsSeenAtOnce) {
    EXPECT_NE(get("/api/days").body.find(R"("rows":[])"), std::string::npos);
    EXPECT_NE(get("/api/minutes").body.find(R"("rows":[])"), std::string::npos);
    EXPECT_FALSE(fileExists(dir.file("korvane.db")));

    writeStore({minuteOf(20260301, 0, 4, 100, 1)});
    const QueryArgs march = {{"from", "2026-03-01"}, {"to", "2026-03-31"}};
    EXPECT_NE(get("/api/days", march).body.find(R"("total_wh":1,)"), std::string::npos);
    // Set aside as damaged and started anew, as the recorder does.
    ASSERT_EQ(std::rename(dir.file("korvane.db").c_str(), dir.file("aside.db").c_str()), 0);
    std::remove(dir.file("korvane.db-wal").c_str());
    std::remove(dir.file("korvane.db-shm").c_str());
    writeStore({minuteOf(20260302, 0, 4, 100, 7)});
    EXPECT_NE(get("/api/days", march).body.find(R"("total_wh":7,)"), std::string::npos);

    dir.write("korvane.db", std::string(4096, 'x'));
    const WebReply broken = get("/api/days", march);
    EXPECT_EQ(broken.status, 503);
    EXPECT_NE(broken.body.find("Cannot read the history store"), std::string::npos);
    EXPECT_EQ(dir.read("korvane.db"), std::string(4096, 'x'));
}

TEST_F(WebRoutesTest, SiteServesThePageAndHistoryFilesAndNothingElse) {
    dir.write("html/log.asp", "<html>13.5V</html>");
    dir.write("html/history8_03_2026.txt", "old\r\n");
    dir.write("html/history9_03_2026.txt", "13.52V\t\t4.1A\r\n");
    dir.write("html/template.asp", "<VV>");
    dir.write("html/notes.txt", "private");
    dir.write("web.cfg", "<Password>pw</Password>");
    struct Row {
        const char* path;
        int status;
        const char* body; // expected body when 200
    } rows[] = {
        {"/site/", 200, "<html>13.5V</html>"},
        {"/site", 200, "<html>13.5V</html>"},
        {"/site/log.asp", 200, "<html>13.5V</html>"},
        {"/site/history9_03_2026.txt", 200, "13.52V\t\t4.1A\r\n"},
        {"/site/history8_03_2026.txt", 200, "old\r\n"},
        {"/site/template.asp", 404, ""},
        {"/site/notes.txt", 404, ""},
        {"/site/../web.cfg", 404, ""},
        {"/site/history/../../web.cfg", 404, ""},
        {"/site/history1.txt/", 404, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        const WebReply reply = get(r.path);
        EXPECT_EQ(reply.status, r.status);
        if (r.status == 200) {
            EXPECT_EQ(reply.body, r.body);
        }
    }
    // history.txt: the one written last, today's while logging runs.
    std::remove(dir.file("html/history9_03_2026.txt").c_str());
    dir.write("html/history9_03_2026.txt", "newest\r\n");
    std::remove(dir.file("html/log.asp").c_str());
    EXPECT_EQ(get("/site/history.txt").body, "newest\r\n");
    const WebReply missing = get("/site/");
    EXPECT_EQ(missing.status, 404);
    EXPECT_NE(missing.body.find("Save HTML page?"), std::string::npos);
}

TEST_F(WebRoutesTest, PagesAndAssetsRevalidateByTag) {
    const WebReply page = get("/");
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.contentType, "text/html; charset=utf-8");
    std::string tag;
    for (const auto& [name, value] : page.headers)
        if (name == "ETag")
            tag = value;
    ASSERT_FALSE(tag.empty());
    const WebReply again = routes.handle({"/", {}, tag});
    EXPECT_EQ(again.status, 304);
    EXPECT_EQ(again.body, "");
    EXPECT_EQ(get("/alarms").body, page.body);
    EXPECT_EQ(get("/assets/none.js").status, 404);
}

} // namespace
} // namespace korvane
