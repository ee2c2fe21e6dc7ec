// The history window on a day whose log is missing but whose minutes are
// in the store, and on days where the log must win.

#include "graph_window.h"

#include "platform/files.h"
#include "store/history_store.h"

#include <cstdlib>
#include <ctime>

namespace korvane {
namespace {

class StoredDayWindow : public GraphWindow {
protected:
    StoredDayWindow() {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    // Minutes of 9 Dec 2006 (UTC) from 10:00, the load on in the odd ones.
    void storeMinutes(int count) {
        std::vector<MinuteSummary> minutes;
        for (int i = 0; i < count; ++i) {
            MinuteSummary m;
            m.ts = 1165622400 + (600 + i) * 60LL; // 2006-12-09 00:00 UTC + 10:00
            m.date = 20061209;
            m.packets = 6;
            m.volts = {12.5, 12.8, 13 + i / 100.0};
            m.amps = {1, 2, 3.5};
            m.watts = {10, 20, 45.5};
            m.rpmMean = 200;
            m.rpmMax = 250;
            m.windMean = 10;
            m.windMax = 14.5;
            m.loadOnMs = i % 2 == 1 ? 40000 : 20000;
            minutes.push_back(m);
        }
        auto opened = HistoryStore::open(dir.file("korvane.db"), 20061209);
        ASSERT_TRUE(opened.result.ok()) << opened.result.text;
        ASSERT_TRUE(opened.store->commitMinutes(minutes).ok());
    }
};

TEST_F(StoredDayWindow, AMissingLogIsDrawnFromTheStoresMinutes) {
    storeMinutes(30);
    Graph& g = open();
    type("Time1h", "10");
    type("Time1m", "05");
    display();
    ASSERT_TRUE(messages.messages.empty()) << messages.messages[0];
    EXPECT_EQ(g.windowTitle(), "Graph - from the minute store (no log for this day)");
    ASSERT_EQ(g.recordCount(), 24); // 10:06 to 10:29
    EXPECT_EQ(table()->rowCount(), 24);
    EXPECT_EQ(cell(0, 1), "0 ");     // 10:06 is the seventh minute: load on 20 s
    EXPECT_EQ(cell(1, 1), "1 ");     // load on 40 s
    EXPECT_EQ(cell(0, 2), "13.06 "); // the minute's highest volts
    EXPECT_EQ(cell(0, 4), "45.5 ");
    EXPECT_EQ(cell(0, 7), "10:06 ");
    EXPECT_FALSE(plot()->drawing().bands.empty());

    drag(2, 10); // zoom works as for a log
    EXPECT_TRUE(g.zoomed());
    EXPECT_EQ(g.firstIndex(), 2);
}

TEST_F(StoredDayWindow, ALogWithRecordsIsAlwaysWhatIsDrawn) {
    storeMinutes(30);
    writeDay(record(12, 0, 10, 15) + record(12.5, 1, 10, 16));
    Graph& g = open();
    display();
    EXPECT_EQ(g.windowTitle(), "Graph");
    EXPECT_EQ(g.recordCount(), 2);
    // Records outside the range: no data, not the store's minutes.
    type("Time1h", "11");
    display();
    EXPECT_EQ(messages.messages, std::vector<std::string>{"No data for that date"});
    EXPECT_EQ(g.recordCount(), 0);
}

TEST_F(StoredDayWindow, WithoutAStoreOrItsDayTheAnswerIsNoDataAndNoStoreIsMade) {
    Graph& g = open();
    display();
    EXPECT_EQ(messages.messages, std::vector<std::string>{"No data for that date"});
    EXPECT_FALSE(fileExists(dir.file("korvane.db")));
    storeMinutes(5);
    type("DateD1", "10");
    display();
    EXPECT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(g.recordCount(), 0);
    EXPECT_EQ(g.windowTitle(), "Graph");
}

} // namespace
} // namespace korvane
