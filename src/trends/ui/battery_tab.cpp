#include "battery_tab.h"

#include "platform/qt/qt_platform.h"

#include <QAreaSeries>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace korvane {

BatteryTab::BatteryTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BatteryTab"));
    page_ = new ChartPage(QStringLiteral("BatteryChart"), this);
    page_->view()->setRubberBand(QChartView::RectangleRubberBand);
    auto* reset = new QPushButton(QStringLiteral("Reset zoom"), this);
    reset->setObjectName(QStringLiteral("ResetZoom"));
    connect(reset, &QPushButton::clicked, this, [this] { page_->chart()->zoomReset(); });
    auto* controls = new QHBoxLayout;
    controls->addStretch(1);
    controls->addWidget(reset);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(page_, 1);
}

void BatteryTab::render(const TabContext& c) {
    bandDays_ = 0;
    const std::vector<DayTotal>* days = c.reader.days(c.range);
    if (!days) {
        page_->showMessage(fromLocal8(c.reader.problem()));
        return;
    }
    page_->clear();
    auto* upper = new QLineSeries;
    auto* lower = new QLineSeries;
    auto* watts = new QLineSeries;
    watts->setName(QStringLiteral("Peak watts"));
    watts->setPen(QPen(QColor(40, 110, 200), 1.5));
    double vMin = 1e9, vMax = -1e9, wMax = 0;
    for (const DayTotal& d : *days) {
        const auto x = static_cast<qreal>(localMidnightMs(d.date) + 12 * 3600 * 1000LL);
        if (d.voltsMin && d.voltsMax) {
            lower->append(x, *d.voltsMin);
            upper->append(x, *d.voltsMax);
            vMin = std::min(vMin, *d.voltsMin);
            vMax = std::max(vMax, *d.voltsMax);
            ++bandDays_;
        }
        if (d.wattsMax) {
            watts->append(x, *d.wattsMax);
            wMax = std::max(wMax, *d.wattsMax);
        }
    }
    if (bandDays_ == 0 && watts->count() == 0) {
        delete upper;
        delete lower;
        delete watts;
        page_->showMessage(noDataText(c));
        return;
    }
    QChart* chart = page_->chart();
    auto* band = new QAreaSeries(upper, lower);
    // The band draws from its edges but does not own them.
    upper->setParent(band);
    lower->setParent(band);
    band->setName(QStringLiteral("Lowest to highest volts"));
    band->setColor(QColor(230, 120, 40, 120));
    band->setBorderColor(QColor(200, 90, 20));
    chart->addSeries(band);
    chart->addSeries(watts);
    // One date alone makes a band without width: marks show it.
    QScatterSeries* marks = nullptr;
    if (bandDays_ == 1) {
        marks = new QScatterSeries;
        marks->setName(QStringLiteral("Volts"));
        marks->setMarkerSize(7);
        marks->append(lower->at(0));
        marks->append(upper->at(0));
        chart->addSeries(marks);
    }

    auto* x = new QDateTimeAxis;
    x->setFormat(QStringLiteral("d MMM"));
    x->setRange(QDateTime::fromMSecsSinceEpoch(localMidnightMs(c.range.from)),
                QDateTime::fromMSecsSinceEpoch(localMidnightMs(addDays(c.range.to, 1))));
    x->setTickCount(std::clamp(daysBetween(c.range.from, c.range.to) + 2, 2, 9));
    chart->addAxis(x, Qt::AlignBottom);
    auto* volts = new QValueAxis;
    volts->setTitleText(QStringLiteral("Volts"));
    if (bandDays_ > 0)
        volts->setRange(vMin - 0.2, vMax + 0.2);
    volts->setLabelFormat(QStringLiteral("%.1f"));
    chart->addAxis(volts, Qt::AlignLeft);
    auto* w = new QValueAxis;
    w->setTitleText(QStringLiteral("Peak watts (W)"));
    w->setRange(0, wMax > 0 ? wMax * 1.1 : 1);
    w->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(w, Qt::AlignRight);
    band->attachAxis(x);
    band->attachAxis(volts);
    if (marks) {
        marks->attachAxis(x);
        marks->attachAxis(volts);
    }
    watts->attachAxis(x);
    watts->attachAxis(w);
    w->applyNiceNumbers();
    page_->showChart();
}

} // namespace korvane
