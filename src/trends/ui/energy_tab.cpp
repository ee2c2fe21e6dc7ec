#include "energy_tab.h"

#include "platform/qt/qt_platform.h"
#include "trends/number_text.h"

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
#include <initializer_list>

namespace korvane {

QString noDataText(const TabContext& c) {
    return QStringLiteral("No data from %1 to %2.")
        .arg(dateText(c.range.from, c.timeFormats), dateText(c.range.to, c.timeFormats));
}

EnergyTab::EnergyTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("EnergyTab"));
    headline_ = new QLabel(this);
    headline_->setObjectName(QStringLiteral("EnergyHeadline"));
    headline_->setWordWrap(true);
    page_ = new ChartPage(QStringLiteral("EnergyChart"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(headline_);
    layout->addWidget(page_, 1);
}

QString EnergyTab::headline() const {
    return headline_->text();
}

namespace {

// Label every `step` bars so that about ten dates fit under them.
int labelStep(int bars, std::initializer_list<int> steps) {
    int last = 1;
    for (int step : steps) {
        last = step;
        if (bars / step <= 12)
            return step;
    }
    return last;
}

QString labelOf(int date, BarSpan span, int step) {
    const QDate d(date / 10000, date / 100 % 100, date % 100);
    const bool months = span == BarSpan::Month || (span == BarSpan::Week && step >= 4) ||
                        (span == BarSpan::Day && step >= 28);
    return QLocale().toString(d, months ? QStringLiteral("MMM yyyy") : QStringLiteral("d MMM"));
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
    summary_ = summariseEnergy(*days, c.range, c.today);
    if (summary_.tooLong) {
        headline_->clear();
        const std::string count =
            withDigitGroups(std::to_string(daysBetween(c.range.from, c.range.to) + 1),
                            c.numberFormat, c.digitGroup);
        page_->showMessage(QStringLiteral("The range from %1 to %2 is too long to draw: %3 days, "
                                          "where at most %4 fit. Choose a shorter range.")
                               .arg(dateText(c.range.from, c.timeFormats),
                                    dateText(c.range.to, c.timeFormats), fromLocal8(count),
                                    fromLocal8(withDigitGroups(std::to_string(kMaxRangeDays),
                                                               c.numberFormat, c.digitGroup))));
        return;
    }
    if (summary_.knownDays == 0 && summary_.unknownDays == 0) {
        headline_->clear();
        page_->showMessage(noDataText(c));
        return;
    }
    headline_->setText(fromLocal8(energyHeadline(summary_, c.numberFormat, c.digitGroup)));
    drawBars();
}

void EnergyTab::drawBars() {
    page_->clear();
    QChart* chart = page_->chart();
    switch (summary_.span) {
    case BarSpan::Day:
        chart->setTitle({});
        break;
    case BarSpan::Week:
        chart->setTitle(QStringLiteral("One bar a week: the range is too long for a bar a day"));
        break;
    case BarSpan::Month:
        chart->setTitle(QStringLiteral("One bar a month: the range is too long for a bar a day"));
        break;
    }
    const bool kwh = summary_.kwh;
    double top = 0;
    bool today = false;
    for (const EnergyBar& b : summary_.bars) {
        top = std::max(top, energyInUnit(b.wh, kwh));
        today = today || b.today;
    }
    if (top <= 0)
        top = kwh ? 1 : 100;
    auto* known = new QBarSet(kwh ? QStringLiteral("Energy (kWh)") : QStringLiteral("Energy (Wh)"));
    auto* partial = new QBarSet(QStringLiteral("Today so far"));
    auto* unknown = new QBarSet(QStringLiteral("Energy unknown (imported log)"));
    known->setColor(QColor(40, 110, 200));
    partial->setColor(QColor(150, 190, 235));
    partial->setBorderColor(QColor(40, 110, 200));
    unknown->setBrush(QBrush(QColor(150, 150, 150), Qt::BDiagPattern));
    unknown->setBorderColor(QColor(150, 150, 150));
    QList<qreal> knownValues, partialValues, unknownValues;
    for (const EnergyBar& b : summary_.bars) {
        const double value = b.kind == DayEnergyKind::Known ? energyInUnit(b.wh, kwh) : 0.0;
        knownValues.append(b.today ? 0.0 : value);
        partialValues.append(b.today ? value : 0.0);
        unknownValues.append(b.kind == DayEnergyKind::Unknown ? top : 0.0);
    }
    known->append(knownValues);
    partial->append(partialValues);
    unknown->append(unknownValues);
    auto* series = new QStackedBarSeries;
    series->append(known);
    for (auto [set, wanted] : {std::pair{partial, today}, {unknown, summary_.unknownDays > 0}}) {
        if (wanted)
            series->append(set);
        else
            delete set;
    }
    series->setBarWidth(0.8);
    chart->addSeries(series);

    // A category axis on values places the date labels only every few
    // bars; a bar-category axis would print all 365 of a year.
    const int n = static_cast<int>(summary_.bars.size());
    auto* x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    const int step = summary_.span == BarSpan::Month ? labelStep(n, {1, 2, 3, 6, 12, 24, 60, 120})
                                                     : labelStep(n, {1, 2, 7, 14, 28, 56, 91, 182});
    for (int i = 0; i < n; i += step)
        x->append(labelOf(summary_.bars[static_cast<std::size_t>(i)].date, summary_.span, step), i);
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
    if (b.lastDate != b.date)
        text += QStringLiteral(" to ") + dateText(b.lastDate, *times_);
    switch (b.kind) {
    case DayEnergyKind::NoRecord:
        return text + QStringLiteral("\nNothing recorded");
    case DayEnergyKind::Unknown:
        text += QStringLiteral("\nEnergy unknown (imported log)");
        break;
    case DayEnergyKind::Known:
        text += QStringLiteral("\nEnergy %1").arg(fromLocal8(energyText(b.wh, summary_.kwh, fmt_)));
        if (b.lastDate != b.date)
            text += QStringLiteral(" over %1 %2")
                        .arg(b.knownDays)
                        .arg(b.knownDays == 1 ? QStringLiteral("day") : QStringLiteral("days"));
        if (b.today)
            text += QStringLiteral(", today so far");
        break;
    }
    if (b.lastDate != b.date && b.unknownDays > 0 && b.kind == DayEnergyKind::Known)
        text += QStringLiteral("\n%1 more from imported logs, energy unknown")
                    .arg(b.unknownDays == 1 ? QStringLiteral("1 day")
                                            : QStringLiteral("%1 days").arg(b.unknownDays));
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
    if (b.kind == DayEnergyKind::NoRecord)
        return;
    if (b.lastDate == b.date) {
        if (onDayChosen)
            onDayChosen(b.date);
    } else if (onRangeChosen) {
        onRangeChosen({b.date, b.lastDate});
    }
}

} // namespace korvane
