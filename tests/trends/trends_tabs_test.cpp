// What a user does on each tab of the Trends window: change the range,
// look at today, pick minutes and a bin width, compare with a reference
// period, hover, zoom, export, and edit turbine.cfg.

#include "platform/files.h"
#include "trends/ui/battery_tab.h"
#include "trends/ui/days_tab.h"
#include "trends/ui/energy_tab.h"
#include "trends/ui/power_curve_tab.h"
#include "trends/ui/turbine_dialog.h"
#include "trends_fixture.h"

#include <QApplication>
#include <QAreaSeries>
#include <QBarSet>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeAxis>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>
#include <QValueAxis>
#include <gtest/gtest.h>

namespace korvane {
namespace {

using test::minuteOf;
using test::TrendsWindow;

MinuteSummary withLoad(MinuteSummary m, std::int64_t loadOnMs) {
    m.loadOnMs = loadOnMs;
    return m;
}

TEST_F(TrendsWindow, EnergyMarksTodayAndGroupsLongRanges) {
    writeStore();
    clock.set({2026, 3, 4, 18, 0, 0, 0}); // 4 March is still under way
    Trends& w = open();
    EnergyTab* tab = w.energyTab();
    EXPECT_EQ(tab->headline(), "Total 18 Wh over 2 days, mean 8 Wh a day (not counting today, "
                               "10 Wh so far) (1 day from imported logs, energy unknown)");
    auto* bars = qobject_cast<QStackedBarSeries*>(tab->page()->chart()->series().value(0));
    ASSERT_NE(bars, nullptr);
    ASSERT_EQ(bars->count(), 3);
    EXPECT_EQ(bars->barSets()[1]->label(), "Today so far");
    EXPECT_DOUBLE_EQ(bars->barSets()[0]->at(3), 0);
    EXPECT_DOUBLE_EQ(bars->barSets()[1]->at(3), 10);
    EXPECT_LT(bars->barSets()[1]->color().saturation(), bars->barSets()[0]->color().saturation());
    emit bars->barSets()[1]->hovered(true, 3);
    EXPECT_EQ(tab->lastHoverText(),
              "4/03/2026\nEnergy 10 Wh, today so far\nPeak 1050 W\nLoad on 1 min");

    w.choosePreset(RangePreset::Last7Days);
    EXPECT_EQ(w.range(), (DateRange{20260226, 20260304}));
    EXPECT_EQ(tab->summary().bars.size(), 7u);

    // A stray log of 1 January 1970 stretches "All" over 56 years: a bar a month.
    {
        auto store = HistoryStore::open(dir.file("korvane.db"), 20260301).store;
        const LogRecordRow stray[] = {{600, 12.9, 3, 38.7, 200, 4, 1}};
        ASSERT_TRUE(store->importLog(19700101, "1970_1_1.txt", 60, stray).ok());
    }
    w.choosePreset(RangePreset::All);
    EXPECT_EQ(tab->summary().span, BarSpan::Month);
    EXPECT_EQ(tab->summary().bars.size(), 675u);
    EXPECT_TRUE(tab->page()->chart()->title().startsWith("One bar a month"));
    tab->chooseBar(674); // March 2026: the range narrows to it
    EXPECT_EQ(w.range(), (DateRange{20260301, 20260304}));
    EXPECT_TRUE(tab->page()->chart()->title().isEmpty());

    w.chooseDates(18000101, 20260304);
    EXPECT_EQ(tab->page()->message(), "The range from 1/01/1800 to 4/03/2026 is too long to draw: "
                                      "82,608 days, where at most 40,000 fit. Choose a shorter "
                                      "range.");
}

class PowerCurve : public TrendsWindow {
protected:
    // 1 Mar, 13 V throughout: [5, 6) holds 3 minutes with the load off
    // making 40 W net and 3 with it on making -60 W net; [7, 8) 3 minutes
    // off at 70 W.  2 Mar: an hour at wind 5 and 40 W, load off.
    void writeCurveStore() {
        std::vector<MinuteSummary> m;
        for (int i = 0; i < 3; ++i) {
            m.push_back(withLoad(minuteOf(20260301, 600 + i, 5.2, 40, 1, 12.5, 13.5), 0));
            m.push_back(withLoad(minuteOf(20260301, 610 + i, 5.5, -60, 0, 12.5, 13.5), 60000));
            m.push_back(withLoad(minuteOf(20260301, 620 + i, 7.5, 70, 1, 12.5, 13.5), 0));
        }
        for (int i = 0; i < 60; ++i)
            m.push_back(withLoad(minuteOf(20260302, 600 + i, 5, 40, 1, 12.5, 13.5), 0));
        test::writeMinutes(dir.file("korvane.db"), m);
        TurbineConfig c;
        c.LoadAmps = "8"; // load-on output: -60 + 13 x 8 = 44 W
        c.MakerCurve = "0:0 10:100";
        ASSERT_EQ(saveTurbineConfig(dir.path(), c), 0);
    }
};

TEST_F(PowerCurve, MinutesChoiceMakersIndexAndTheBinsOverIt) {
    writeCurveStore();
    Trends& w = open();
    w.chooseDates(20260301, 20260301);
    w.tabs()->setCurrentIndex(Trends::PowerCurvePage);
    PowerCurveTab* tab = w.powerCurveTab();
    ASSERT_EQ(tab->bins().size(), 2u);
    EXPECT_DOUBLE_EQ(tab->bins()[0].meanWatts, 42);
    // Made 3 x 40 + 3 x 44 + 3 x 70 where the maker promises 3 x 52 + 3 x 55 + 3 x 75.
    EXPECT_EQ(tab->makerIndexText(), "Index: 85 % of the maker's curve");
    EXPECT_EQ(tab->binText(5.5), "5 to 6 m/s\n6 minutes, mean 42 W\n79 % of the maker's 53.5 W");
    QTreeWidgetItem* row = tab->binTable()->topLevelItem(0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(0) + "|" + row->text(1) + "|" + row->text(2) + "|" + row->text(3),
              "5-6|42.0|79|");
    const auto* y = qobject_cast<QValueAxis*>(tab->page()->chart()->axes(Qt::Vertical).value(0));
    EXPECT_EQ(y->titleText(), "Estimated turbine output (W)");
    EXPECT_EQ(tab->page()->chart()->series().value(4)->name(), "Maker's curve");

    tab->minutesChoice()->setCurrentIndex(static_cast<int>(MinuteChoice::LoadOff));
    EXPECT_DOUBLE_EQ(tab->bins()[0].meanWatts, 40);
    EXPECT_EQ(tab->makerIndexText(), "Index: 87 % of the maker's curve"); // 330 / 381
    tab->minutesChoice()->setCurrentIndex(static_cast<int>(MinuteChoice::LoadOn));
    ASSERT_EQ(tab->bins().size(), 1u);
    EXPECT_DOUBLE_EQ(tab->bins()[0].meanWatts, 44);
    EXPECT_EQ(tab->makerIndexText(), "Index: 80 % of the maker's curve"); // 132 / 165
    tab->binWidth()->setValue(0.25);
    EXPECT_DOUBLE_EQ(tab->bins()[0].windFrom, 5.5);

    // A file edited by hand into what the dialog refuses is named, not obeyed.
    TurbineConfig typo = w.turbineConfig();
    typo.LoadAmps = "-8";
    ASSERT_TRUE(w.saveTurbine(typo));
    EXPECT_EQ(tab->makerIndexText(), "turbine.cfg: The load current must be from 0 to 1,000 A (it "
                                     "is -8 A). The default is used.");
    EXPECT_DOUBLE_EQ(tab->bins()[0].meanWatts, -60); // no load current: the net watts
}

TEST_F(PowerCurve, CompareWithKeepsTheReferenceAndGivesItsIndex) {
    writeCurveStore();
    Trends& w = open();
    w.chooseDates(20260301, 20260301);
    w.tabs()->setCurrentIndex(Trends::PowerCurvePage);
    PowerCurveTab* tab = w.powerCurveTab();
    EXPECT_FALSE(tab->referenceFrom()->isEnabled());
    EXPECT_EQ(tab->referenceIndexText(), "");

    tab->compare()->setChecked(true); // offers the day before
    EXPECT_EQ(loadTurbineConfig(dir.path()).RefFrom, "2026-02-28");
    EXPECT_EQ(tab->referenceIndexText(), "28 Feb: too few minutes there to draw a curve");
    tab->referenceTo()->setDate(QDate(2026, 3, 1));
    tab->referenceFrom()->setDate(QDate(2026, 3, 1));
    const TurbineConfig kept = loadTurbineConfig(dir.path());
    EXPECT_EQ(kept.RefFrom + " " + kept.RefTo, "2026-03-01 2026-03-01");
    EXPECT_EQ(kept.MakerCurve, "0:0 10:100");
    // Against its own curve, (5.5, 42) to (7.5, 70): the minutes at 5.5 and
    // 7.5 made 3 x 44 + 3 x 70 where it gives 3 x 42 + 3 x 70.
    EXPECT_EQ(tab->referenceIndexText(), "Index: 102 % of 1 Mar");
    EXPECT_EQ(tab->binText(7.5), "7 to 8 m/s\n3 minutes, mean 70 W\n93 % of the maker's 75 W\n"
                                 "100 % of 1 Mar's 70 W");

    tab->compare()->setChecked(false);
    EXPECT_EQ(loadTurbineConfig(dir.path()).RefFrom, "");
    EXPECT_EQ(tab->referenceIndexText(), "");
}

TEST_F(PowerCurve, DaysCarryTheirIndexIntoTheCsv) {
    writeCurveStore();
    Trends& w = open();
    w.chooseDates(20260301, 20260302);
    w.tabs()->setCurrentIndex(Trends::DaysPage);
    QTableView* table = w.daysTab()->table();
    ASSERT_EQ(table->model()->rowCount(), 2);
    EXPECT_EQ(table->model()->index(0, 8).data().toString(), ""); // 9 minutes cannot say
    EXPECT_EQ(table->model()->index(1, 8).data().toString(), "80.0");
    EXPECT_EQ(table->model()->headerData(8, Qt::Horizontal).toString(), "Index (%)");
    savePath = dir.file("days.csv");
    w.daysTab()->exportCsv();
    const std::string csv = dir.read("days.csv");
    EXPECT_NE(csv.find("\r\n2026-03-02,60,12.5,13.5,60,7,0,360,80\r\n"), std::string::npos) << csv;
}

TEST_F(PowerCurve, TheTurbineDialogRefusesBadRowsAndReadsACsv) {
    writeCurveStore();
    const std::string before = dir.read("turbine.cfg");
    Trends& w = open();
    w.tabs()->setCurrentIndex(Trends::PowerCurvePage);
    w.editTurbine([&](TurbineDialog& d) {
        d.loadAmps()->setText("-1");
        EXPECT_FALSE(d.save());
        d.loadAmps()->setText("8,5");
        QTableWidget* t = d.curveTable();
        t->setItem(2, 0, new QTableWidgetItem("9"));
        t->setItem(2, 1, new QTableWidgetItem("90"));
        EXPECT_FALSE(d.save()); // 9 after 10
        t->setItem(2, 0, new QTableWidgetItem(""));
        t->setItem(2, 1, new QTableWidgetItem(""));

        dir.write("curve.csv", "Wind (km/h),Watts\r\n\r\n36,100\r\n72,400\r\n\r\n");
        openPath = dir.file("curve.csv");
        d.csvUnit()->setCurrentIndex(static_cast<int>(WindUnit::KilometresPerHour));
        d.readCsv();
        EXPECT_EQ(t->item(0, 0)->text() + " " + t->item(1, 0)->text(), "10 20");
        EXPECT_EQ(dir.read("turbine.cfg"), before);
        EXPECT_TRUE(d.save());
    });
    EXPECT_EQ(messages.messages,
              (std::vector<std::string>{
                  "The load current must be from 0 to 1,000 A (it is -1 A).",
                  "Maker's curve, row 3: the wind speed 9 is not above the one before; wind "
                  "speeds must increase."}));
    EXPECT_EQ(dir.read("turbine.cfg"),
              "Turbine Config File\r\n\r\n<LoadAmps>8.5</LoadAmps>\r\n<IdleAmps>0</IdleAmps>\r\n"
              "<MakerCurve>10:100 20:400</MakerCurve>\r\n<RefFrom></RefFrom>\r\n<RefTo></RefTo>"
              "\r\n\r\n");
    EXPECT_EQ(w.turbineConfig().MakerCurve, "10:100 20:400");
    EXPECT_EQ(w.powerCurveTab()->view().makerWatts.size(), w.powerCurveTab()->bins().size());
}

TEST_F(TrendsWindow, BatteryShowsOneDayAsABarAndTodayUpToItsLastMinute) {
    writeStore();
    clock.set({2026, 3, 4, 18, 0, 0, 0});
    Trends& w = open();
    w.resize(900, 580);
    w.show();
    w.tabs()->setCurrentIndex(Trends::BatteryPage);
    QApplication::processEvents();
    BatteryTab* tab = w.batteryTab();
    QChart* chart = tab->page()->chart();
    const auto* today = qobject_cast<QAreaSeries*>(chart->series().value(2));
    ASSERT_NE(today, nullptr);
    EXPECT_EQ(today->name(), "Today so far (to 00:01)");
    EXPECT_EQ(today->upperSeries()->at(1).x(), localMidnightMs(20260304) + 2 * 60000);

    w.chooseDates(20260301, 20260301);
    ASSERT_EQ(tab->bandDays(), 1);
    chart = tab->page()->chart(); // each drawing is a chart of its own
    const auto* day = qobject_cast<QAreaSeries*>(chart->series().value(0));
    ASSERT_NE(day, nullptr);
    ASSERT_EQ(day->upperSeries()->count(), 2);
    EXPECT_EQ(day->upperSeries()->at(1).x() - day->upperSeries()->at(0).x(), 86400000.0);

    const auto* x = qobject_cast<QDateTimeAxis*>(chart->axes(Qt::Horizontal).value(0));
    ASSERT_NE(x, nullptr);
    const QDateTime from = x->min(), to = x->max();
    chart->zoomIn(QRectF(chart->plotArea().center(), QSizeF(20, 20)));
    EXPECT_GT(x->min(), from);
    tab->resetZoom()->click();
    EXPECT_EQ(x->min(), from);
    EXPECT_EQ(x->max(), to);
}

} // namespace
} // namespace korvane
