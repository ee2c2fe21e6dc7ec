// The pending file an exit leaves when the store cannot be written: its
// lines, read back exactly, torn lines skipped, and its name.

#include "store/pending_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

PendingRecords sample() {
    PendingRecords r;
    MinuteSummary m;
    m.ts = 1796740200;
    m.date = 20261208;
    m.packets = 6;
    m.volts = {12.25, 12.8766, 13.5};
    m.amps = {-1.25, 0.1 + 0.2, 4.75}; // a double that needs all 17 digits
    m.watts = {0, 31.0625, 64.13};
    m.rpmMean = 412.3456;
    m.rpmMax = 480.4;
    m.windMean = 7.25;
    m.windMax = 11.9;
    m.loadOnMs = 12500;
    m.wh = 0.5;
    r.minutes.push_back(m);
    r.alarmEvents.push_back({1796740212, "Battery \"low\"", "raised", 11.42});
    r.messages.push_back({0, "korvane/site/record", "{\"v\":1}\tline\nnext\\ \x01 \xe9", 1, true});
    return r;
}

TEST(PendingFile, LinesAreJsonThatReadsBackExactly) {
    const std::string text = pendingLines(sample());
    EXPECT_EQ(text, "{\"kind\":\"minute\",\"ts\":1796740200,\"date\":20261208,\"packets\":6,"
                    "\"v_min\":12.25,\"v_mean\":12.8766,\"v_max\":13.5,\"a_min\":-1.25,"
                    "\"a_mean\":0.30000000000000004,\"a_max\":4.75,\"w_min\":0,\"w_mean\":31.0625,"
                    "\"w_max\":64.13,\"rpm_mean\":412.3456,\"rpm_max\":480.4,\"wind_mean\":7.25,"
                    "\"wind_max\":11.9,\"load_ms\":12500,\"wh\":0.5}\n"
                    "{\"kind\":\"alarm\",\"ts\":1796740212,\"name\":\"Battery \\\"low\\\"\","
                    "\"state\":\"raised\",\"value\":11.42}\n"
                    "{\"kind\":\"message\",\"topic\":\"korvane/site/record\","
                    "\"payload\":\"{\\\"v\\\":1}\\u0009line\\u000anext\\\\ \\u0001 \xe9\","
                    "\"qos\":1,\"retain\":true}\n");
    std::size_t skipped = 99;
    EXPECT_EQ(readPendingLines(text, &skipped), sample());
    EXPECT_EQ(skipped, 0u);
}

TEST(PendingFile, LinesThatAreNotWholeRecordsAreSkipped) {
    const std::string whole = pendingLines(sample());
    const std::string minuteLine = whole.substr(0, whole.find('\n') + 1);
    const struct {
        std::string text;
        std::size_t minutes, skipped;
    } cases[] = {
        {minuteLine + minuteLine.substr(0, 40), 1, 1}, // torn by a power cut
        {"\r\n" + minuteLine + "\n  \n", 1, 0},        // blank lines are no fault
        {"{\"kind\":\"minute\",\"ts\":\"soon\"}\n" + minuteLine, 1, 1},
        {"{\"kind\":\"later\",\"ts\":1}\n", 0, 1}, // a kind this program does not know
        {"{\"kind\":\"minute\"}\n", 0, 1},         // fields missing
        {"not json\n" + minuteLine, 1, 1},
    };
    for (const auto& c : cases) {
        std::size_t skipped = 0;
        EXPECT_EQ(readPendingLines(c.text, &skipped).minutes.size(), c.minutes) << c.text;
        EXPECT_EQ(skipped, c.skipped) << c.text;
    }
}

TEST(PendingFile, NamedBesideTheStoreAndListedOldestFirst) {
    test::TempDir dir;
    const std::string db = dir.file("korvane.db");
    const std::string path = pendingFilePath(db, 1796740200000);
    const std::string name = path.substr(dir.path().size() + 1);
    ASSERT_EQ(name.rfind("korvane-pending-2026-12-", 0), 0u) << name;
    ASSERT_EQ(name.size(), std::string("korvane-pending-2026-12-08-143000.jsonl").size()) << name;
    dir.write("korvane-pending-2026-12-09-080000.jsonl", "");
    dir.write("korvane-pending-2026-12-01-080000.jsonl", "");
    dir.write("korvane-pending-2026-11-30-080000.jsonl.imported", "");
    dir.write("other-pending-2026-11-30-080000.jsonl", "");
    EXPECT_EQ(pendingFiles(db),
              (std::vector<std::string>{dir.file("korvane-pending-2026-12-01-080000.jsonl"),
                                        dir.file("korvane-pending-2026-12-09-080000.jsonl")}));
    EXPECT_EQ(pendingCountText(2, 1, 0), "2 minutes and 1 alarm event");
    EXPECT_EQ(pendingCountText(1, 0, 3), "1 minute and 3 messages for the broker");
    EXPECT_EQ(pendingCountText(0, 0, 0), "nothing");
}

} // namespace
} // namespace korvane
