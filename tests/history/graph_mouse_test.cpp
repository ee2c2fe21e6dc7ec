// The history window under the mouse: the readout, what it shows for
// pointers and values far from ordinary, and the zoom.

#include "graph_window.h"

namespace korvane {
namespace {

TEST_F(GraphWindow, ReadoutFollowsThePointerOneRecordPerUnit) {
    writeDay(numberedDay(469)); // the plot is 469 pixels: one pixel per unit
    ProgramConfig c = defaultProgramConfig();
    c.WSUnits = "km/h";
    config(c);
    Graph& g = open();
    display();
    ASSERT_EQ(g.recordCount(), 469);
    mouse(QEvent::MouseMove, 0.0f);
    EXPECT_EQ(text("vv"), "1 Volts");
    EXPECT_EQ(text("vt"), "00:01");
    mouse(QEvent::MouseMove, 9.0f);
    EXPECT_EQ(text("vv"), "10 Volts");
    EXPECT_EQ(text("av"), "1 Amps");
    EXPECT_EQ(text("wv"), "20 Watts");
    EXPECT_EQ(text("rv"), "1000 RPM");
    EXPECT_EQ(text("sv"), "5 km/h");
    EXPECT_EQ(text("vt"), "00:10");
    mouse(QEvent::MouseMove, 5000.0f); // beyond the plot: a slot never filled
    EXPECT_EQ(text("vv"), "0 Volts");
    EXPECT_EQ(text("vt"), "00:00");
}

TEST_F(GraphWindow, ReadoutPastTheRecordsShowsWhatAnEarlierQueryLeft) {
    writeDay(numberedDay(469));
    Graph& g = open();
    display();
    writeDay(numberedDay(5));
    display();
    ASSERT_EQ(g.recordCount(), 5);
    mouse(QEvent::MouseMove, 9.0f);
    EXPECT_EQ(text("vv"), "10 Volts");
    EXPECT_EQ(text("vt"), "00:10");
}

TEST_F(GraphWindow, HostileValuesAndPointersFarOffThePlotShowOnlyNumbers) {
    std::string day;
    const char* values[] = {"1e39", "-1.7e308", "1e-50", "4e-320", "1.7e308", "0", "-5"};
    for (int k = 0; k < 30; ++k) {
        auto v = [&](int i) { return std::string(values[(k + i) % 7]); };
        day += "<T>09:" + std::to_string(10 + k) + "</T><V>" + v(0) + "</V><I>" + v(1) + "</I><W>" +
               v(2) + "</W><R>" + v(3) + "</R><S>" + v(4) + "</S><M>" + std::to_string(k % 2) +
               "</M>\r\n";
    }
    writeDay(day);
    Graph& g = open();
    display();
    ASSERT_EQ(g.recordCount(), 30);
    const char* labels[] = {"vt",    "vv",    "av",    "wv",    "rv",    "sv",
                            "stime", "ftime", "VMax1", "VMin1", "AMax1", "AMin1",
                            "WMax1", "WMin1", "RMax1", "RMin1", "SMax1", "SMin1"};
    auto expectNumbers = [&](const char* when) {
        plot()->grab(); // paints
        for (const char* name : labels) {
            const QString t = text(name).toLower();
            EXPECT_FALSE(t.contains("inf") || t.contains("nan")) << when << " " << name;
        }
    };
    for (float x : {-1e30f, -40.0f, 0.0f, 3.5f, 29.0f, 500.0f, 20000.0f, 1e30f})
        mouse(QEvent::MouseMove, x);
    expectNumbers("pointer moves");
    EXPECT_EQ(text("VMax1"), "1.7e+308 V");
    mouse(QEvent::MouseButtonPress, -1e6f);
    mouse(QEvent::MouseMove, 1e7f);
    expectNumbers("dragging");
    mouse(QEvent::MouseButtonRelease, 1e7f);
    EXPECT_TRUE(g.zoomed());
    expectNumbers("zoomed");
    drag(1e7f, -1e7f);
    expectNumbers("dragged while zoomed");
}

TEST_F(GraphWindow, DragToTheRightZoomsOncePerQuery) {
    writeDay(numberedDay(469));
    Graph& g = open();
    display();
    mouse(QEvent::MouseButtonPress, 10);
    mouse(QEvent::MouseMove, 15);
    ASSERT_TRUE(plot()->selectionLine());
    EXPECT_FLOAT_EQ(plot()->selectionLine()->from, 10);
    EXPECT_FLOAT_EQ(plot()->selectionLine()->to, 15);
    mouse(QEvent::MouseMove, 12); // moving back leaves the longer line
    EXPECT_FLOAT_EQ(plot()->selectionLine()->to, 15);
    mouse(QEvent::MouseButtonRelease, 20);
    EXPECT_TRUE(g.zoomed());
    EXPECT_EQ(g.firstIndex(), 10);
    EXPECT_EQ(g.lastIndex(), 20);
    EXPECT_EQ(table()->rowCount(), 11);
    EXPECT_EQ(cell(0, 2), "10 ");
    EXPECT_FLOAT_EQ(plot()->drawing().width, 10);
    EXPECT_FALSE(plot()->selectionLine()) << "the render clears the line";

    drag(2, 8); // zoomed: no second zoom
    EXPECT_EQ(g.firstIndex(), 10);
    EXPECT_EQ(table()->rowCount(), 11);
    EXPECT_FALSE(plot()->selectionLine());
    child<QCheckBox>("Check4")->click();
    EXPECT_EQ(table()->rowCount(), 11) << "switches keep the zoomed view";

    display();
    EXPECT_FALSE(g.zoomed());
    EXPECT_EQ(table()->rowCount(), 469);
}

TEST_F(GraphWindow, ReleaseLeftOfThePressMovesTheLeftEdgeWithoutZooming) {
    writeDay(numberedDay(469));
    Graph& g = open();
    display();
    drag(30, 25);
    EXPECT_FALSE(g.zoomed());
    EXPECT_EQ(g.firstIndex(), 30);
    EXPECT_EQ(table()->rowCount(), 469) << "no redraw";
    child<QCheckBox>("Check5")->click();
    EXPECT_EQ(table()->rowCount(), 469 - 30 + 1);
    drag(40, 5000); // released far beyond the plot: limited to the last record
    EXPECT_TRUE(g.zoomed());
    EXPECT_EQ(g.firstIndex(), 40);
    EXPECT_EQ(g.lastIndex(), 469);
}

} // namespace
} // namespace korvane
