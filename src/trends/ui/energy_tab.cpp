#include "energy_tab.h"

#include "platform/qt/qt_platform.h"

#include <QBarSet>
#include <QCategoryAxis>
#include <QCursor>
#include <QDate>
#include <QLabel>
#include <QStackedBarSeries>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace korvane {

QString noDataText(const TabContext& c) {
    return QStringLiteral("No data from %1 to %2.")
        .arg(dateText(c.range.from, c.timeFormats), dateText(c.range.to, c.timeFormats));
}

EnergyTab::EnergyTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("EnergyTab"));
    headline_ = new QLabel(this);
    headline_->setObjectName(QStringLiteral("EnergyHeadline"));
    page_ = new ChartPage(QStringLiteral("EnergyChart"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(headline_);
    layout->addWidget(page_, 1);
}

QString EnergyTab::headline() const {
    return headline_->text();
}

namespace {

// Label every `step` days so that about ten dates fit under the bars.
int labelStep(int bars) {
    for (int step : {1, 2, 7, 14, 28, 56})
        if (bars / step <= 12)
            return step;
    return 91;
}

} // namespace

void EnergyTab::render(const TabContext& c) {
    fmt_ = c.numberFormat;
    times_ = &c.timeFormats;
    lastHover_.clear();
    const std::vector<DayTotal>* days = c.reader.days(c.range);
    if (!days) {
        summary_ = {};
        headline_->clear();
        page_->showMessage(fromLocal8(c.reader.problem()));
        return;
    }
    summary_ = summariseEnergy(*days, c.range);
    if (summary_.knownDays == 0 && summary_.unknownDays == 0) {
        headline_->clear();
        page_->showMessage(noDataText(c));
        return;
    }
    headline_->setText(fromLocal8(energyHeadline(summary_, c.numberFormat)));

    page_->clear();
    QChart* chart = page_->chart();
    const bool kwh = summary_.kwh;
    double top = 0;
    for (const EnergyBar& b : summary_.bars)
        top = std::max(top, energyInUnit(b.wh, kwh));
    if (top <= 0)
        top = kwh ? 1 : 100;
    auto* known = new QBarSet(kwh ? QStringLiteral("Energy (kWh)") : QStringLiteral("Energy (Wh)"));
    auto* unknown = new QBarSet(QStringLiteral("Energy unknown (imported log)"));
    known->setColor(QColor(40, 110, 200));
    unknown->setBrush(QBrush(QColor(150, 150, 150), Qt::BDiagPattern));
    unknown->setBorderColor(QColor(150, 150, 150));
    QList<qreal> knownValues, unknownValues;
    knownValues.reserve(static_cast<qsizetype>(summary_.bars.size()));
    unknownValues.reserve(static_cast<qsizetype>(summary_.bars.size()));
    for (const EnergyBar& b : summary_.bars) {
        knownValues.append(b.kind == DayEnergyKind::Known ? energyInUnit(b.wh, kwh) : 0.0);
        unknownValues.append(b.kind == DayEnergyKind::Unknown ? top : 0.0);
    }
    known->append(knownValues);
    unknown->append(unknownValues);
    auto* series = new QStackedBarSeries;
    series->append(known);
    if (summary_.unknownDays > 0)
        series->append(unknown);
    else
        delete unknown;
    series->setBarWidth(0.8);
    chart->addSeries(series);

    // A category axis on values places the date labels only every few
    // bars; a bar-category axis would print all 365 of a year.
    const int n = static_cast<int>(summary_.bars.size());
    auto* x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const int step = labelStep(n);
    for (int i = 0; i < n; i += step) {
        const int date = summary_.bars[static_cast<std::size_t>(i)].date;
        const QDate d(date / 10000, date / 100 % 100, date % 100);
        x->append(QLocale().toString(d, step >= 28 ? QStringLiteral("MMM yyyy")
                                                   : QStringLiteral("d MMM")),
                  i);
    }
    x->setRange(-0.5, n - 0.5);
    x->setGridLineVisible(false);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto* y = new QValueAxis;
    y->setRange(0, top * 1.05);
    y->setLabelFormat(QStringLiteral("%g"));
    y->setTitleText(kwh ? QStringLiteral("kWh") : QStringLiteral("Wh"));
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    y->applyNiceNumbers();

    for (QBarSet* set : series->barSets()) {
        connect(set, &QBarSet::hovered, this, [this](bool on, int index) {
            if (on)
                hoverBar(index);
            else
                QToolTip::hideText();
        });
        connect(set, &QBarSet::doubleClicked, this, [this](int index) { chooseBar(index); });
    }
    page_->showChart();
}

QString EnergyTab::barText(int index) const {
    if (index < 0 || index >= static_cast<int>(summary_.bars.size()) || !times_)
        return {};
    const EnergyBar& b = summary_.bars[static_cast<std::size_t>(index)];
    QString text = dateText(b.date, *times_);
    switch (b.kind) {
    case DayEnergyKind::NoRecord:
        return text + QStringLiteral("\nNothing recorded");
    case DayEnergyKind::Unknown:
        text += QStringLiteral("\nEnergy unknown (imported log)");
        break;
    case DayEnergyKind::Known:
        text += QStringLiteral("\nEnergy %1").arg(fromLocal8(energyText(b.wh, summary_.kwh, fmt_)));
        break;
    }
    if (b.wattsMax)
        text += QStringLiteral("\nPeak %1 W")
                    .arg(fromLocal8(formatGeneral(roundHalfEven(*b.wattsMax, 2), fmt_)));
    if (b.loadOnMinutes)
        text += QStringLiteral("\nLoad on %1 min")
                    .arg(fromLocal8(formatGeneral(roundHalfEven(*b.loadOnMinutes, 1), fmt_)));
    return text;
}

void EnergyTab::hoverBar(int index) {
    lastHover_ = barText(index);
    if (!lastHover_.isEmpty())
        QToolTip::showText(QCursor::pos(), lastHover_, page_->view());
}

void EnergyTab::chooseBar(int index) {
    if (index < 0 || index >= static_cast<int>(summary_.bars.size()))
        return;
    const EnergyBar& b = summary_.bars[static_cast<std::size_t>(index)];
    if (b.kind != DayEnergyKind::NoRecord && onDayChosen)
        onDayChosen(b.date);
}

} // namespace korvane
