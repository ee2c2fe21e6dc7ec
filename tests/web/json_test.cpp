#include "web/api_json.h"
#include "web/json_writer.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>

namespace korvane {
namespace {

class InUtc : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
};

TEST(JsonWriter, NumbersHaveFifteenDigitsAndAreNeverNanOrInfinity) {
    struct Row {
        double value;
        const char* text;
    } rows[] = {
        {13.52, "13.52"},
        {0.1 + 0.2, "0.3"},
        {2.2732499999999995, "2.27325"},
        {1235.8333333333333, "1235.83333333333"},
        {420, "420"},
        {-5.25, "-5.25"},
        {-0.0, "0"},
        {1e21, "1e+21"},
        {std::numeric_limits<double>::quiet_NaN(), "null"},
        {std::numeric_limits<double>::infinity(), "null"},
        {-std::numeric_limits<double>::infinity(), "null"},
    };
    for (const Row& r : rows) {
        std::string out;
        JsonWriter(out).value(r.value);
        EXPECT_EQ(out, r.text) << r.value;
    }
}

TEST(JsonWriter, StringsAreEscapedAndBadUtf8IsReplaced) {
    struct Row {
        std::string text;
        const char* json;
    } rows[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {std::string("tab\tnl\ncr\r\x01", 11), "\"tab\\u0009nl\\u000acr\\u000d\\u0001\""},
        {"km/h \xc2\xb0 \xe2\x82\xac", "\"km/h \xc2\xb0 \xe2\x82\xac\""},
        {"bad \xff end", "\"bad \xef\xbf\xbd end\""},
        {"cut \xe2\x82", "\"cut \xef\xbf\xbd\xef\xbf\xbd\""},
        {"over \xed\xa0\x80", "\"over \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\""},
    };
    for (const Row& r : rows) {
        std::string out;
        appendJsonString(out, r.text);
        EXPECT_EQ(out, r.json);
    }
}

TEST(JsonWriter, PlacesCommasInNestedObjectsAndArrays) {
    std::string out;
    JsonWriter j(out);
    j.beginObject().field("a", 1).key("b").beginArray().value(true).null().beginObject();
    j.field("c", "x").endObject().endArray().field("d", std::optional<double>{}).endObject();
    EXPECT_EQ(out, R"({"a":1,"b":[true,null,{"c":"x"}],"d":null})");
}

TEST_F(InUtc, TheLiveReplyHoldsEveryValueTheMainWindowShows) {
    LiveSnapshot s;
    s.seq = 7;
    s.hasData = true;
    s.volts = 13.52;
    s.amps = 4.1;
    s.watts = 55.43;
    s.rpm = 350.5;
    s.wind = 12.3;
    s.mode = 1;
    s.wattHoursToday = 120.5;
    s.dayKey = "2026_12_9";
    s.lastPacketUtcMs = 1796824800250; // 2026-12-09T14:00:00.250Z
    s.takenUtcMs = 1796824801000;
    s.portState = "Port 1: /dev/ttyUSB0 (open)";
    s.portOpen = true;
    s.alarms = {"Battery low: 11.42 V since 14:05"};
    s.windUnits = "km/h";
    s.outputIndex7d = 93.5;
    s.version = "0.1.0";
    EXPECT_EQ(liveJson(s, 1796824812250),
              R"({"schema":1,"seq":7,"has_data":true,"volts":13.52,"amps":4.1,"watts":55.43,)"
              R"("rpm":350.5,"wind":12.3,"mode":1,"load_on":true,"energy_today_wh":120.5,)"
              R"("day":"2026_12_9","last_packet":"2026-12-09T14:00:00Z",)"
              R"("last_packet_local":"14:00","age_s":12,"time":"2026-12-09T14:00:01Z",)"
              R"j("port":"Port 1: /dev/ttyUSB0 (open)","port_open":true,)j"
              R"("alarms":["Battery low: 11.42 V since 14:05"],"wind_unit":"km/h",)"
              R"("show_rpm":true,"show_wind":true,"output_index_7d":93.5,"version":"0.1.0"})");

    const LiveSnapshot none;
    const std::string empty = liveJson(none, 1796824812250);
    EXPECT_NE(empty.find(R"("has_data":false)"), std::string::npos);
    EXPECT_NE(empty.find(R"("last_packet":null,"last_packet_local":null,"age_s":null)"),
              std::string::npos);
    EXPECT_NE(empty.find(R"("time":"2026-12-09T14:00:12Z")"), std::string::npos);
    EXPECT_NE(empty.find(R"("output_index_7d":null)"), std::string::npos);
}

TEST_F(InUtc, AMinuteWithoutPacketsHasNullStatistics) {
    MinuteSummary energyOnly;
    energyOnly.ts = 1796774400; // 2026-12-09T00:00:00Z
    energyOnly.date = 20261209;
    energyOnly.wh = 0.25;
    energyOnly.volts = {std::nan(""), 1, 2};
    const std::string j = minutesJson({20261209, 20261209}, {energyOnly}, 60, 1);
    EXPECT_EQ(j, R"({"schema":1,"from":"2026-12-09","to":"2026-12-09","minutes":1,"bucket_s":60,)"
                 R"("thinned":false,"rows":[{"time":"2026-12-09T00:00:00Z","day":"2026_12_9",)"
                 R"("packets":0,"volts_min":null,"volts_mean":null,"volts_max":null,)"
                 R"("amps_min":null,"amps_mean":null,"amps_max":null,"watts_min":null,)"
                 R"("watts_mean":null,"watts_max":null,"rpm_mean":null,"rpm_max":null,)"
                 R"("wind_mean":null,"wind_max":null,"load_on_s":0,"wh":0.25}]})");
    EXPECT_EQ(errorJson("bin must be", "bin"),
              R"({"schema":1,"error":"bin must be","parameter":"bin"})");
    EXPECT_EQ(errorJson("gone"), R"({"schema":1,"error":"gone"})");
}

} // namespace
} // namespace korvane
