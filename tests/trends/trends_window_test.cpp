// The Trends window over a small store of hand-made minutes: what each tab
// shows, the history window asked for on a double-click, the CSV written.

#include "platform/files.h"
#include "trends/ui/alarms_tab.h"
#include "trends/ui/battery_tab.h"
#include "trends/ui/energy_tab.h"
#include "trends/ui/power_curve_tab.h"
#include "trends/ui/trends_window.h"
#include "trends_fixture.h"

#include <QAreaSeries>
#include <QBarSet>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QValueAxis>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace korvane {
namespace {

using test::minuteOf;
using test::TrendsWindow;

TEST_F(TrendsWindow, EnergyBarsTotalsHoverAndDoubleClick) {
    writeStore();
    Trends& w = open();
    EXPECT_EQ(w.windowTitle(), "Trends");
    EnergyTab* tab = w.energyTab();
    EXPECT_EQ(tab->headline(), "Total 18 Wh over 2 days, mean 9 Wh a day (1 day from imported "
                               "logs, energy unknown)");
    auto* series = tab->page()->chart()->series().value(0);
    auto* bars = qobject_cast<QStackedBarSeries*>(series);
    ASSERT_NE(bars, nullptr);
    ASSERT_EQ(bars->count(), 2); // measured and unknown
    const QBarSet* known = bars->barSets()[0];
    EXPECT_EQ(known->count(), 4);
    EXPECT_DOUBLE_EQ(known->at(0), 8);
    EXPECT_DOUBLE_EQ(known->at(1), 0);
    EXPECT_DOUBLE_EQ(known->at(2), 0);
    EXPECT_DOUBLE_EQ(known->at(3), 10);
    EXPECT_GT(bars->barSets()[1]->at(2), 0); // the imported day stands apart

    emit bars->barSets()[0]->hovered(true, 3);
    EXPECT_EQ(tab->lastHoverText(), "4/03/2026\nEnergy 10 Wh\nPeak 1050 W\nLoad on 1 min");
    EXPECT_EQ(tab->barText(2), "3/03/2026\nEnergy unknown (imported log)\nPeak 52.8 W");
    EXPECT_EQ(tab->barText(1), "2/03/2026\nNothing recorded");

    emit bars->barSets()[0]->doubleClicked(3);
    emit bars->barSets()[0]->doubleClicked(1); // no record: nothing to open
    EXPECT_EQ(historyDays, std::vector<int>{20260304});
}

TEST_F(TrendsWindow, PowerCurveBinsMinutesAndHollowsThinBins) {
    writeStore();
    Trends& w = open();
    w.tabs()->setCurrentIndex(Trends::PowerCurvePage);
    PowerCurveTab* tab = w.powerCurveTab();
    ASSERT_FALSE(tab->page()->showingMessage()) << tab->page()->message().toStdString();
    ASSERT_EQ(tab->bins().size(), 3u);
    EXPECT_EQ(tab->bins()[0].windFrom, 2);
    EXPECT_EQ(tab->bins()[0].minutes, 3);
    EXPECT_DOUBLE_EQ(tab->bins()[0].meanWatts, 50);
    EXPECT_TRUE(tab->bins()[0].reliable);
    EXPECT_FALSE(tab->bins()[1].reliable); // [5, 6): two minutes
    EXPECT_EQ(tab->binText(5.5), "5 to 6 m/s\n2 minutes, mean 320 W\nFewer than 3 minutes: "
                                 "unreliable");

    QChart* chart = tab->page()->chart();
    const auto hollow = qobject_cast<QScatterSeries*>(chart->series().value(3));
    ASSERT_NE(hollow, nullptr);
    EXPECT_EQ(hollow->count(), 2); // [5, 6) and [7, 8)
    EXPECT_EQ(hollow->brush().style(), Qt::NoBrush);
    const auto* x = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).value(0));
    ASSERT_NE(x, nullptr);
    EXPECT_TRUE(x->titleText().contains("m/s"));

    tab->binWidth()->setValue(5); // rebinned without reading again
    ASSERT_EQ(tab->bins().size(), 2u);
    EXPECT_EQ(tab->bins()[0].minutes, 3);
    EXPECT_EQ(tab->bins()[1].minutes, 3);
}

TEST_F(TrendsWindow, BatteryBandPerDayWithRubberBandZoom) {
    writeStore();
    Trends& w = open();
    w.tabs()->setCurrentIndex(Trends::BatteryPage);
    BatteryTab* tab = w.batteryTab();
    EXPECT_EQ(tab->bandDays(), 3); // 1, 3 and 4 March
    // Two runs of days, each day a step from its midnight to the next.
    const auto* first = qobject_cast<QAreaSeries*>(tab->page()->chart()->series().value(0));
    const auto* second = qobject_cast<QAreaSeries*>(tab->page()->chart()->series().value(1));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_DOUBLE_EQ(first->upperSeries()->at(0).y(), 14.1);
    EXPECT_EQ(first->upperSeries()->at(0).x(), localMidnightMs(20260301));
    EXPECT_EQ(first->upperSeries()->at(1).x(), localMidnightMs(20260302));
    ASSERT_EQ(second->lowerSeries()->count(), 4);
    EXPECT_DOUBLE_EQ(second->lowerSeries()->at(2).y(), 11.8);
    EXPECT_EQ(tab->page()->view()->rubberBand(), QChartView::RectangleRubberBand);
}

TEST_F(TrendsWindow, DaysTableSortsAndExportsWhatItShows) {
    writeStore();
    Trends& w = open();
    w.tabs()->setCurrentIndex(Trends::DaysPage);
    QTableView* table = w.daysTab()->table();
    ASSERT_EQ(table->model()->rowCount(), 3);
    EXPECT_EQ(table->model()->index(1, 1).data().toString(), "unknown");
    EXPECT_EQ(table->model()->index(2, 2).data().toString(), "11.80");

    table->sortByColumn(1, Qt::DescendingOrder); // energy: 10, 8, unknown
    EXPECT_EQ(table->model()->index(0, 0).data().toString(), "4/03/2026");

    savePath = dir.file("days.csv");
    w.daysTab()->exportCsv();
    ASSERT_EQ(suggestions, std::vector<std::string>{"korvane-days-2026-03-01-to-2026-03-04.csv"});
    EXPECT_EQ(dir.read("days.csv"), "Day,Energy (Wh),Min volts,Max volts,Peak watts,Max wind (m/s),"
                                    "Load on (min),Packets,Index (%)\r\n"
                                    "2026-03-04,10,11.8,13.5,1050,9.5,1,12,\r\n"
                                    "2026-03-01,8,12.2,14.1,450,7.1,2,24,\r\n"
                                    "2026-03-03,,12.9,13.2,52.8,5,,,\r\n");

    savePath.clear(); // cancelled: nothing written, nothing said
    w.daysTab()->exportCsv();
    savePath = dir.file("no-such-folder/days.csv");
    w.daysTab()->exportCsv();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("Cannot write " + savePath), std::string::npos);
}

TEST_F(TrendsWindow, AlarmsTabListsTheRangesRaisesAndClears) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    writeStore();
    {
        auto store = HistoryStore::open(dir.file("korvane.db"), 20260301).store;
        const AlarmEventRow events[] = {
            {1772323200 - 60, "Wind high", "raised", 26},  // 28 Feb 23:59, before the range
            {1772359200, "Battery low", "raised", 11.42},  // 1 Mar 10:00
            {1772362800, "Battery low", "cleared", 12.05}, // 1 Mar 11:00
            {1772668800 - 1, "No data", "raised", 5},      // 4 Mar 23:59:59, its last second
            {1772668800, "No data", "cleared", 0}};        // 5 Mar 00:00, after it
        ASSERT_TRUE(store->recordAlarmEvents(events).ok());
    }
    Trends& w = open();
    w.tabs()->setCurrentIndex(Trends::AlarmsPage);
    QTreeWidget* list = w.alarmsTab()->list();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    const auto row = [&](int i) {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << list->topLevelItem(i)->text(c);
        return cells.join('|');
    };
    EXPECT_EQ(row(0), "1/03/2026 10:00|Battery low|raised|11.42 V");
    EXPECT_EQ(row(1), "1/03/2026 11:00|Battery low|cleared|12.05 V");
    EXPECT_EQ(row(2), "4/03/2026 23:59|No data|raised|5 min");
    w.chooseDates(20260302, 20260303);
    EXPECT_EQ(w.alarmsTab()->message(), "No alarms from 2/03/2026 to 3/03/2026.");
}

TEST_F(TrendsWindow, EmptyRangeAndMissingStoreSaySo) {
    writeStore();
    Trends& w = open();
    w.chooseDates(20260201, 20260207);
    EXPECT_EQ(w.energyTab()->page()->message(), "No data from 1/02/2026 to 7/02/2026.");
    w.tabs()->setCurrentIndex(Trends::DaysPage);
    EXPECT_EQ(w.daysTab()->message(), "No data from 1/02/2026 to 7/02/2026.");
    w.choosePreset(RangePreset::All);
    EXPECT_EQ(w.range(), (DateRange{20260301, 20260304}));

    test::TempDir empty;
    TrendsServices services{empty.path(), NumberFormat{'.'}, clock, times, messages, {}, {}, {}};
    Trends none(std::move(services));
    EXPECT_TRUE(none.storeProblem().startsWith("No history yet"))
        << none.storeProblem().toStdString();
    EXPECT_FALSE(fileExists(empty.file("korvane.db")));
}

} // namespace
} // namespace korvane
