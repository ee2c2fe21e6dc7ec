#include "battery_tab.h"

#include "platform/qt/qt_platform.h"

#include <QAreaSeries>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace korvane {

namespace {

// Past this many runs of consecutive dates the band is drawn as one, across
// the gaps: each run is a series of its own, and hundreds would crawl.
constexpr int kMaxRuns = 100;

struct DaySpan {
    qreal from = 0; // ms since the epoch
    qreal to = 0;
    const DayTotal* day = nullptr;
};

QAreaSeries* band(QLineSeries* upper, QLineSeries* lower, const QString& name, QColor fill,
                  QColor border) {
    auto* area = new QAreaSeries(upper, lower);
    // The band draws from its edges but does not own them.
    upper->setParent(area);
    lower->setParent(area);
    area->setName(name);
    area->setColor(fill);
    area->setBorderColor(border);
    return area;
}

} // namespace

BatteryTab::BatteryTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BatteryTab"));
    page_ = new ChartPage(QStringLiteral("BatteryChart"), this);
    page_->view()->setRubberBand(QChartView::RectangleRubberBand);
    reset_ = new QPushButton(QStringLiteral("Reset zoom"), this);
    reset_->setObjectName(QStringLiteral("ResetZoom"));
    connect(reset_, &QPushButton::clicked, this, [this] { page_->chart()->zoomReset(); });
    auto* controls = new QHBoxLayout;
    controls->addStretch(1);
    controls->addWidget(reset_);
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
    // Each date spans its own day; today only up to the end of its last
    // stored minute, so it does not read as a day that fell short.
    std::vector<DaySpan> spans;
    double vMin = 1e9, vMax = -1e9, wMax = 0;
    for (const DayTotal& d : *days) {
        DaySpan s{static_cast<qreal>(localMidnightMs(d.date)),
                  static_cast<qreal>(localMidnightMs(addDays(d.date, 1))), &d};
        if (d.date == c.today && d.lastTs)
            s.to = std::clamp(static_cast<qreal>((*d.lastTs + 60) * 1000), s.from + 60000, s.to);
        spans.push_back(s);
        if (d.voltsMin && d.voltsMax) {
            vMin = std::min(vMin, *d.voltsMin);
            vMax = std::max(vMax, *d.voltsMax);
            ++bandDays_;
        }
        if (d.wattsMax)
            wMax = std::max(wMax, *d.wattsMax);
    }
    const bool anyWatts = std::any_of(days->begin(), days->end(),
                                      [](const DayTotal& d) { return d.wattsMax.has_value(); });
    if (bandDays_ == 0 && !anyWatts) {
        page_->showMessage(noDataText(c));
        return;
    }
    page_->clear();
    QChart* chart = page_->chart();
    const QColor fill(230, 120, 40, 120), edge(200, 90, 20);
    const QColor todayFill(230, 120, 40, 55), todayEdge(230, 150, 100);

    int runs = 0;
    for (std::size_t i = 0; i < spans.size(); ++i)
        if (spans[i].day->voltsMin && spans[i].day->voltsMax && spans[i].day->date != c.today &&
            (i == 0 || spans[i - 1].to != spans[i].from || !spans[i - 1].day->voltsMin))
            ++runs;
    QLineSeries *upper = nullptr, *lower = nullptr;
    QList<QAbstractSeries*> bands;
    bool named = false;
    const auto finishRun = [&] {
        if (!upper)
            return;
        QAreaSeries* area =
            band(upper, lower, QStringLiteral("Lowest to highest volts"), fill, edge);
        bands.append(area);
        upper = lower = nullptr;
    };
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const DaySpan& s = spans[i];
        const DayTotal& d = *s.day;
        if (!d.voltsMin || !d.voltsMax)
            continue;
        if (d.date == c.today) {
            finishRun();
            auto* u = new QLineSeries;
            auto* l = new QLineSeries;
            u->append({{s.from, *d.voltsMax}, {s.to, *d.voltsMax}});
            l->append({{s.from, *d.voltsMin}, {s.to, *d.voltsMin}});
            // Named by the start of its last minute, as the clock showed it.
            const QTime last =
                QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(s.to) - 60000).time();
            const QString until = fromLocal8(c.timeFormats.shortTime(last.hour(), last.minute()));
            bands.append(band(u, l, QStringLiteral("Today so far (to %1)").arg(until), todayFill,
                              todayEdge));
            continue;
        }
        const bool joined = upper && (runs > kMaxRuns || spans[i - 1].to == s.from);
        if (!joined)
            finishRun();
        if (!upper) {
            upper = new QLineSeries;
            lower = new QLineSeries;
        }
        upper->append({{s.from, *d.voltsMax}, {s.to, *d.voltsMax}});
        lower->append({{s.from, *d.voltsMin}, {s.to, *d.voltsMin}});
    }
    finishRun();

    // Peak watts as steps, a day wide; today's lighter and dashed.
    auto* watts = new QLineSeries;
    watts->setName(QStringLiteral("Peak watts"));
    watts->setPen(QPen(QColor(40, 110, 200), 1.5));
    auto* todayWatts = new QLineSeries;
    todayWatts->setName(QStringLiteral("Peak watts today so far"));
    todayWatts->setPen(QPen(QColor(120, 160, 220), 1.5, Qt::DashLine));
    for (const DaySpan& s : spans) {
        if (!s.day->wattsMax)
            continue;
        QLineSeries* into = s.day->date == c.today ? todayWatts : watts;
        into->append({{s.from, *s.day->wattsMax}, {s.to, *s.day->wattsMax}});
    }

    for (QAbstractSeries* b : bands) {
        chart->addSeries(b);
        // One legend entry for the runs of one band.
        if (b->name() == QStringLiteral("Lowest to highest volts")) {
            if (named)
                for (QLegendMarker* m : chart->legend()->markers(b))
                    m->setVisible(false);
            named = true;
        }
    }
    chart->addSeries(watts);
    chart->addSeries(todayWatts);
    for (QLegendMarker* m : chart->legend()->markers(todayWatts))
        m->setVisible(false);

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
    for (QAbstractSeries* b : bands) {
        b->attachAxis(x);
        b->attachAxis(volts);
    }
    for (QLineSeries* line : {watts, todayWatts}) {
        line->attachAxis(x);
        line->attachAxis(w);
    }
    w->applyNiceNumbers();
    if (bandDays_ > 0)
        volts->applyNiceNumbers();
    page_->showChart();
}

} // namespace korvane
