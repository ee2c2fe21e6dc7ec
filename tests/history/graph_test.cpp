// The history window driven as a user drives it: its set-up, a query of a
// real log file and the switches.

#include "graph_window.h"

#include "config/tag_value.h"
#include "simulated_day.h"

namespace korvane {
namespace {

TEST_F(GraphWindow, OpensOnTodayForTheWholeDayWithTheSwitchesOfProgCfg) {
    ProgramConfig c = defaultProgramConfig();
    c.DisplayRPM = "1";
    c.DisplayWS = "0";
    c.WSUnits = "mph";
    config(c);
    Graph& g = open();
    EXPECT_EQ(g.windowTitle(), "Graph");
    EXPECT_TRUE(g.isModal());
    EXPECT_EQ(g.size(), QSize(twips(13830), twips(5640)));
    EXPECT_EQ(g.palette().color(QPalette::Window), QColor(96, 96, 96));
    EXPECT_EQ(text("DateY1"), "2006");
    EXPECT_EQ(text("DateM1"), "12");
    EXPECT_EQ(text("DateD1"), "9");
    EXPECT_EQ(text("Time1h") + text("Time1m") + text("Time2h") + text("Time2m"), "00002359");
    EXPECT_EQ(text("Label15"), "Log History");
    EXPECT_EQ(text("Label12"), "YYYY/MM/DD");
    EXPECT_EQ(child<QPushButton>("Command1")->text(), "Display");
    EXPECT_EQ(child<QPushButton>("Command2")->text(), "Exit");

    const std::pair<const char*, bool> ticks[] = {{"Check1", true},  {"Check2", true},
                                                  {"Check3", true},  {"Check4", true},
                                                  {"Check5", false}, {"Check6", true}};
    for (const auto& [name, ticked] : ticks)
        EXPECT_EQ(child<QCheckBox>(name)->isChecked(), ticked) << name;
    EXPECT_EQ(child<QCheckBox>("Check5")->text(), "Wind Speed");
    EXPECT_EQ(child<QCheckBox>("Check6")->text(), "Ref V to 0v");
    EXPECT_EQ(child<QCheckBox>("Check1")->palette().color(QPalette::Button), QColor(255, 0, 0));

    QStringList titles;
    for (int c2 = 0; c2 < table()->columnCount(); ++c2)
        titles << table()->headerData(c2, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{"", "Mode", "Volts", "Amps", "Watts", "RPM", "mph", "Time"}));
    EXPECT_EQ(table()->rowCount(), 0);

    EXPECT_EQ(plot()->geometry(), QRect(twips(4320), twips(270), twips(7035), twips(5235)));
    EXPECT_EQ(child<QTableView>("ListView1")->geometry(),
              QRect(twips(90), twips(1485), twips(4110), twips(4065)));
    EXPECT_EQ(child<QCheckBox>("Check4")->pos(), QPoint(twips(13005), twips(3015)));
    EXPECT_EQ(text("stime"), "Start");
    EXPECT_EQ(text("VMax1"), "0");
    EXPECT_EQ(g.firstIndex(), 0);
    EXPECT_EQ(g.lastIndex(), 0);
}

TEST_F(GraphWindow, WithoutProgCfgOpensWithTheDefaults) {
    ::remove(dir.file("prog.cfg").c_str());
    open();
    EXPECT_FALSE(child<QCheckBox>("Check4")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("Check5")->isChecked());
    EXPECT_EQ(table()->headerData(6, Qt::Horizontal).toString(), "km/h");
}

TEST_F(GraphWindow, DisplayShowsWhatASimulatedDaysLogHolds) {
    const std::string log = simulatedDayLog(SimulatedDay{}, kPoint); // 08:00 to 15:59
    writeDay(log);
    Graph& g = open();
    display();
    ASSERT_TRUE(messages.messages.empty());
    ASSERT_EQ(g.recordCount(), 480);
    EXPECT_EQ(g.firstIndex(), 1);
    EXPECT_EQ(g.lastIndex(), 480);
    EXPECT_FALSE(g.zoomed());
    ASSERT_EQ(table()->rowCount(), 480);

    // Every row against its line of the file.
    double voltsMax = 0;
    std::size_t from = 0;
    int bands = 0;
    for (int row = 0; row < 480; ++row) {
        const auto end = log.find("\r\n", from);
        const std::string_view line(log.data() + from, end - from);
        from = end + 2;
        const char* tags[] = {"M", "V", "I", "W", "R", "S", "T"};
        for (int c = 0; c < 7; ++c)
            ASSERT_EQ(cell(row, c + 1).toStdString(), std::string(*tagValue(line, tags[c])) + " ")
                << "row " << row << " column " << c + 1;
        voltsMax = std::max(voltsMax, *parseNumber(*tagValue(line, "V"), kPoint));
        bands += row > 0 && *tagValue(line, "M") == "1";
    }
    EXPECT_EQ(text("VMax1").toStdString(), formatGeneral(voltsMax, kPoint) + " V");
    EXPECT_EQ(text("VMin1"), "0 V") << "Ref V to 0v starts ticked";
    EXPECT_EQ(text("stime"), "08:00");
    EXPECT_EQ(text("ftime"), "15:59");
    EXPECT_EQ(text("SMax1").right(5), " km/h");

    const PlotDrawing& d = plot()->drawing();
    EXPECT_FALSE(d.blank);
    EXPECT_FLOAT_EQ(d.width, 479);
    EXPECT_EQ(drawnSeries(),
              (std::vector<SeriesId>{SeriesId::Volts, SeriesId::Amps, SeriesId::Watts}));
    float banded = 0;
    for (const auto& b : d.bands)
        banded += b.x1 - b.x0;
    EXPECT_EQ(static_cast<int>(banded), bands);
    EXPECT_GT(bands, 0) << "the simulated day switches its load";

    // Drawn without a display: the plot holds its grey, the bands and red volts.
    const QImage shot = g.grab(plot()->geometry()).toImage();
    ASSERT_FALSE(shot.isNull());
    int grey = 0, band = 0, red = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            grey += c == QColor(64, 64, 64);
            band += c == QColor(128, 128, 255);
            red += c == QColor(255, 0, 0);
        }
    EXPECT_GT(grey, 0);
    EXPECT_GT(band, 0);
    EXPECT_GT(red, 0);
}

TEST_F(GraphWindow, BadInputOnlyShowsItsMessage) {
    writeDay(numberedDay(5));
    Graph& g = open();
    display();
    ASSERT_EQ(g.recordCount(), 5);
    const std::string before = dir.read("logs/2006_12_9.txt");
    const struct {
        const char* field;
        const char* value;
        const char* message;
    } cases[] = {{"Time1h", "24", "Bad time format for start time"},
                 {"Time2m", "6o", "Bad time format for finish time"},
                 {"DateD1", "32", "Bad date format for record date"},
                 {"DateY1", "06", "Bad date format for record date"}};
    for (const auto& c : cases) {
        const QString old = text(c.field);
        type(c.field, c.value);
        messages.messages.clear();
        display();
        EXPECT_EQ(messages.messages, std::vector<std::string>{c.message});
        type(c.field, old.toLatin1().constData());
    }
    EXPECT_EQ(dir.read("logs/2006_12_9.txt"), before);
    EXPECT_EQ(g.recordCount(), 5);
    EXPECT_EQ(table()->rowCount(), 5);
}

TEST_F(GraphWindow, NoDataKeepsThePictureButStopsRedrawing) {
    writeDay(numberedDay(5));
    Graph& g = open();
    display();
    type("Time1h", "23");
    type("Time1m", "00");
    display();
    EXPECT_EQ(messages.messages, std::vector<std::string>{"No data for that date"});
    EXPECT_EQ(g.recordCount(), 0);
    EXPECT_EQ(table()->rowCount(), 5);
    child<QCheckBox>("Check5")->click();
    EXPECT_EQ(drawnSeries().size(), 3u) << "no redraw with no records loaded";
    mouse(QEvent::MouseMove, 1.5f);
    EXPECT_EQ(text("vv"), "");
}

TEST_F(GraphWindow, FullDayOf9999RecordsLoadsAndTenThousandLeavesAnEmptyWindow) {
    std::string text9999;
    text9999.reserve(10'000 * 80);
    for (int i = 0; i < 9999; ++i)
        text9999 += record(12 + (i % 7) * 0.25, i % 50 < 10 ? 1 : 0, 1 + i % 22, i % 60);
    writeDay(text9999);
    Graph& g = open();
    display();
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(g.recordCount(), 9999);
    EXPECT_EQ(table()->rowCount(), 9999);

    writeDay(text9999 + record(13, 0, 12, 0));
    display();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].substr(0, 41), "Over 10,000 records, too many to display.");
    EXPECT_EQ(g.recordCount(), 0);
    EXPECT_EQ(g.firstIndex(), 0);
    EXPECT_EQ(g.lastIndex(), 0);
    EXPECT_EQ(table()->rowCount(), 0);
    EXPECT_TRUE(plot()->drawing().blank);
    EXPECT_EQ(text("stime"), "Start");
    EXPECT_EQ(text("ftime"), "Finish");
    EXPECT_EQ(text("VMax1"), "0");
    child<QCheckBox>("Check4")->click();
    mouse(QEvent::MouseButtonPress, 10);
    mouse(QEvent::MouseButtonRelease, 20);
    EXPECT_EQ(table()->rowCount(), 0) << "nothing of the refused query comes back";
    EXPECT_TRUE(plot()->drawing().blank);
}

TEST_F(GraphWindow, SwitchesRedrawAtOnceWhenMoreThanOneRecordIsLoaded) {
    writeDay(record(12, 0, 8, 0));
    Graph& g = open();
    display();
    ASSERT_EQ(g.recordCount(), 1);
    EXPECT_TRUE(plot()->drawing().blank) << "one record makes no view";
    child<QCheckBox>("Check4")->click();
    EXPECT_TRUE(plot()->drawing().blank);

    writeDay(numberedDay(5));
    display();
    EXPECT_EQ(drawnSeries(), (std::vector<SeriesId>{SeriesId::Volts, SeriesId::Amps,
                                                    SeriesId::Watts, SeriesId::Rpm}))
        << "the switch clicked before the query counts";
    child<QCheckBox>("Check1")->click();
    child<QCheckBox>("Check5")->click();
    EXPECT_EQ(drawnSeries(), (std::vector<SeriesId>{SeriesId::Amps, SeriesId::Watts, SeriesId::Rpm,
                                                    SeriesId::WindSpeed}));
    EXPECT_EQ(text("VMin1"), "0 V");
    child<QCheckBox>("Check6")->click();
    EXPECT_EQ(text("VMin1"), "1 V");
}

} // namespace
} // namespace korvane
