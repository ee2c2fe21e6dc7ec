#include "power_curve_tab.h"

#include "platform/qt/qt_platform.h"
#include "power_curve_chart.h"
#include "trends/days_table.h"
#include "trends/number_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScatterSeries>
#include <QSignalBlocker>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace korvane {

namespace {

// The scatter is thinned to one dot per cell of about 4 x 3 pixels of a
// large chart: the dots are 4 pixels wide, so it looks the same, and a
// year draws in tens of milliseconds (the line series strokes a path
// through its points even without a pen).
constexpr int kScatterColumns = 200;
constexpr int kScatterRows = 130;

QDate qdateOf(int date) {
    return {date / 10000, date / 100 % 100, date % 100};
}

int dateOf(const QDate& d) {
    return dateNumber(d.year(), d.month(), d.day());
}

QString number(double value, int decimals, const NumberFormat& fmt) {
    return fromLocal8(fixedText(value, decimals, fmt));
}

} // namespace

PowerCurveTab::PowerCurveTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PowerCurveTab"));
    binWidth_ = new QDoubleSpinBox(this);
    binWidth_->setObjectName(QStringLiteral("BinWidth"));
    binWidth_->setRange(kMinBinWidth, kMaxBinWidth);
    binWidth_->setSingleStep(0.25);
    binWidth_->setDecimals(2);
    binWidth_->setValue(kDefaultBinWidth);
    auto* widthLabel = new QLabel(QStringLiteral("Bin width:"), this);
    widthLabel->setBuddy(binWidth_);
    choice_ = new QComboBox(this);
    choice_->setObjectName(QStringLiteral("Minutes"));
    choice_->addItems(
        {QStringLiteral("All"), QStringLiteral("Load off only"), QStringLiteral("Load on only")});
    auto* choiceLabel = new QLabel(QStringLiteral("Minutes:"), this);
    choiceLabel->setBuddy(choice_);
    compare_ = new QCheckBox(QStringLiteral("Compare with"), this);
    compare_->setObjectName(QStringLiteral("CompareWith"));
    refFrom_ = new QDateEdit(this);
    refFrom_->setObjectName(QStringLiteral("RefFrom"));
    refTo_ = new QDateEdit(this);
    refTo_->setObjectName(QStringLiteral("RefTo"));
    for (QDateEdit* e : {refFrom_, refTo_}) {
        e->setCalendarPopup(true);
        e->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
        e->setEnabled(false);
    }
    turbine_ = new QPushButton(QStringLiteral("Turbine..."), this);
    turbine_->setObjectName(QStringLiteral("TurbineSettings"));

    page_ = new ChartPage(QStringLiteral("PowerCurveChart"), this);
    makerIndex_ = new QLabel(this);
    makerIndex_->setObjectName(QStringLiteral("MakerIndex"));
    referenceIndex_ = new QLabel(this);
    referenceIndex_->setObjectName(QStringLiteral("ReferenceIndex"));
    for (QLabel* l : {makerIndex_, referenceIndex_}) {
        l->setWordWrap(true);
        QFont bold = l->font();
        bold.setBold(true);
        l->setFont(bold);
    }
    binTable_ = new QTreeWidget(this);
    binTable_->setObjectName(QStringLiteral("BinTable"));
    binTable_->setRootIsDecorated(false);
    binTable_->setUniformRowHeights(true);
    binTable_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    binTable_->header()->setStretchLastSection(false);
    binTable_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* side = new QVBoxLayout;
    side->addWidget(makerIndex_);
    side->addWidget(referenceIndex_);
    side->addWidget(binTable_, 1);
    auto* sidePanel = new QWidget(this);
    sidePanel->setLayout(side);
    sidePanel->setFixedWidth(280);
    side->setContentsMargins(0, 0, 0, 0);

    auto* controls = new QHBoxLayout;
    controls->addWidget(widthLabel);
    controls->addWidget(binWidth_);
    controls->addSpacing(8);
    controls->addWidget(choiceLabel);
    controls->addWidget(choice_);
    controls->addSpacing(8);
    controls->addWidget(compare_);
    controls->addWidget(refFrom_);
    controls->addWidget(new QLabel(QStringLiteral("to"), this));
    controls->addWidget(refTo_);
    controls->addStretch(1);
    controls->addWidget(turbine_);
    auto* body = new QHBoxLayout;
    body->addWidget(page_, 1);
    body->addWidget(sidePanel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(body, 1);

    connect(binWidth_, &QDoubleSpinBox::valueChanged, this, [this] { draw(); });
    connect(choice_, &QComboBox::currentIndexChanged, this, [this] { draw(); });
    connect(compare_, &QCheckBox::toggled, this, [this] { referenceEdited(); });
    connect(refFrom_, &QDateEdit::dateChanged, this, [this] { referenceEdited(); });
    connect(refTo_, &QDateEdit::dateChanged, this, [this] { referenceEdited(); });
    connect(turbine_, &QPushButton::clicked, this, [this] {
        if (onEditTurbine)
            onEditTurbine();
    });
}

void PowerCurveTab::render(const TabContext& c) {
    fmt_ = c.numberFormat;
    windUnits_ = c.windUnits;
    config_ = c.turbineConfig;
    turbineSettings_ = c.turbine;
    configProblem_ = fromLocal8(turbineConfigProblem(config_));
    range_ = c.range;
    today_ = c.today;
    {
        // Unticked, the dates offer the period just before the range.
        const int length = daysBetween(c.range.from, c.range.to);
        const DateRange shown = c.turbine.reference.value_or(
            DateRange{addDays(c.range.from, -length - 1), addDays(c.range.from, -1)});
        const QSignalBlocker b1(compare_), b2(refFrom_), b3(refTo_);
        compare_->setChecked(c.turbine.reference.has_value());
        refFrom_->setDate(qdateOf(shown.from));
        refTo_->setDate(qdateOf(shown.to));
        refFrom_->setEnabled(compare_->isChecked());
        refTo_->setEnabled(compare_->isChecked());
    }
    minutes_.clear();
    referenceMinutes_.clear();
    const std::vector<TurbineMinute>* read = c.reader.turbineMinutes(c.range);
    if (!read) {
        view_ = {};
        page_->showMessage(fromLocal8(c.reader.problem()));
        showIndexes();
        fillBinTable();
        return;
    }
    minutes_ = *read;
    if (c.turbine.reference)
        if (const auto* ref = c.reader.turbineMinutes(*c.turbine.reference))
            referenceMinutes_ = *ref;
    emptyText_ = noDataText(c);
    draw();
}

void PowerCurveTab::draw() {
    lastHover_.clear();
    const auto choice = static_cast<MinuteChoice>(std::max(0, choice_->currentIndex()));
    view_ = buildPowerCurveView(
        {minutes_, referenceMinutes_, &turbineSettings_, choice, binWidth_->value()});
    showIndexes();
    fillBinTable();
    if (view_.points.empty()) {
        QString text = emptyText_ + QStringLiteral(" (no minutes with packets)");
        if (!minutes_.empty() && choice == MinuteChoice::LoadOff)
            text = emptyText_ + QStringLiteral(" (no minutes with the load off)");
        else if (!minutes_.empty() && choice == MinuteChoice::LoadOn)
            text = emptyText_ + QStringLiteral(" (no minutes with the load on all minute)");
        page_->showMessage(text);
        return;
    }
    page_->clear();
    QList<QPointF> dots;
    for (const WindPowerPoint& p : thinScatter(view_.points, kScatterColumns, kScatterRows))
        dots.append(QPointF(p.wind, p.watts));
    const PowerCurveLabels labels{fromLocal8(windUnits_),
                                  turbineSettings_.loadAmps != 0 || turbineSettings_.idleAmps != 0,
                                  turbineSettings_.reference ? referenceName() : QString()};
    const PowerCurveSeries series =
        drawPowerCurve(page_->chart(), view_, turbineSettings_, dots, labels);
    for (QScatterSeries* s : {series.solid, series.hollow})
        connect(s, &QScatterSeries::hovered, this, [this](const QPointF& at, bool on) {
            if (!on) {
                QToolTip::hideText();
                return;
            }
            lastHover_ = binText(at.x());
            QToolTip::showText(QCursor::pos(), lastHover_, page_->view());
        });
    page_->showChart();
}

QString PowerCurveTab::referenceName() const {
    return turbineSettings_.reference ? rangeText(*turbineSettings_.reference, today_) : QString();
}

void PowerCurveTab::showIndexes() {
    // A file edited by hand may hold what the dialog refuses: say so, since
    // its default is what the curve is drawn with.
    if (!configProblem_.isEmpty())
        makerIndex_->setText(
            QStringLiteral("turbine.cfg: %1 The default is used.").arg(configProblem_));
    else if (!view_.hasMaker)
        makerIndex_->setText(
            QStringLiteral("No maker's curve: add one with \"Turbine...\" to see an index."));
    else if (view_.makerIndex)
        makerIndex_->setText(QStringLiteral("Index: %1 of the maker's curve")
                                 .arg(fromLocal8(percentText(*view_.makerIndex))));
    else
        makerIndex_->setText(QStringLiteral("Index: no minutes with wind inside the maker's "
                                            "curve"));
    if (!turbineSettings_.reference)
        referenceIndex_->clear();
    else if (!view_.hasReference)
        referenceIndex_->setText(
            QStringLiteral("%1: too few minutes there to draw a curve").arg(referenceName()));
    else if (view_.referenceIndex)
        referenceIndex_->setText(
            QStringLiteral("Index: %1 of %2")
                .arg(fromLocal8(percentText(*view_.referenceIndex)), referenceName()));
    else
        referenceIndex_->setText(
            QStringLiteral("Index: no minutes with wind inside the curve of %1")
                .arg(referenceName()));
}

QString PowerCurveTab::makerIndexText() const {
    return makerIndex_->text();
}

QString PowerCurveTab::referenceIndexText() const {
    return referenceIndex_->text();
}

void PowerCurveTab::fillBinTable() {
    binTable_->clear();
    const QString units = fromLocal8(windUnits_);
    binTable_->setHeaderLabels({QStringLiteral("Wind (%1)").arg(units), QStringLiteral("Mean W"),
                                QStringLiteral("% maker"), QStringLiteral("% ref")});
    QList<QTreeWidgetItem*> items;
    for (std::size_t i = 0; i < view_.bins.size(); ++i) {
        const CurveBin& b = view_.bins[i];
        QStringList cells{
            fromLocal8(formatGeneral(b.windFrom, fmt_) + "-" + formatGeneral(b.windTo, fmt_)),
            number(b.meanWatts, 1, fmt_),
            {},
            {}};
        if (view_.makerWatts[i])
            cells[2] = number(100 * b.meanWatts / *view_.makerWatts[i], 0, fmt_);
        if (const CurveBin* ref = binAt(view_.referenceBins, b.windMid());
            ref && ref->reliable && ref->meanWatts > 0)
            cells[3] = number(100 * b.meanWatts / ref->meanWatts, 0, fmt_);
        auto* item = new QTreeWidgetItem(cells);
        for (int col = 1; col < 4; ++col)
            item->setTextAlignment(col, Qt::AlignRight | Qt::AlignVCenter);
        // A bin of few minutes says little: its row is greyed, as its dot is hollow.
        if (!b.reliable)
            for (int col = 0; col < 4; ++col)
                item->setForeground(col, QColor(150, 150, 150));
        items.append(item);
    }
    binTable_->addTopLevelItems(items);
}

void PowerCurveTab::referenceEdited() {
    refFrom_->setEnabled(compare_->isChecked());
    refTo_->setEnabled(compare_->isChecked());
    TurbineConfig changed = config_;
    if (compare_->isChecked()) {
        const DateRange r = orderedRange(dateOf(refFrom_->date()), dateOf(refTo_->date()));
        changed.RefFrom = isoDate(r.from);
        changed.RefTo = isoDate(r.to);
    } else {
        changed.RefFrom.clear();
        changed.RefTo.clear();
    }
    if (changed != config_ && onTurbineChanged)
        onTurbineChanged(changed);
}

QString PowerCurveTab::binText(double wind) const {
    for (std::size_t i = 0; i < view_.bins.size(); ++i) {
        const CurveBin& b = view_.bins[i];
        if (wind < b.windFrom || wind >= b.windTo)
            continue;
        const QString units = fromLocal8(windUnits_);
        QString text = QStringLiteral("%1 to %2 %3\n%4 minutes, mean %5 W")
                           .arg(fromLocal8(formatGeneral(b.windFrom, fmt_)),
                                fromLocal8(formatGeneral(b.windTo, fmt_)), units)
                           .arg(b.minutes)
                           .arg(fromLocal8(formatGeneral(roundHalfEven(b.meanWatts, 1), fmt_)));
        if (view_.makerWatts[i])
            text +=
                QStringLiteral("\n%1 of the maker's %2 W")
                    .arg(fromLocal8(percentText(100 * b.meanWatts / *view_.makerWatts[i])),
                         fromLocal8(formatGeneral(roundHalfEven(*view_.makerWatts[i], 1), fmt_)));
        if (const CurveBin* ref = binAt(view_.referenceBins, b.windMid());
            ref && ref->reliable && ref->meanWatts > 0)
            text += QStringLiteral("\n%1 of %2's %3 W")
                        .arg(fromLocal8(percentText(100 * b.meanWatts / ref->meanWatts)),
                             referenceName(),
                             fromLocal8(formatGeneral(roundHalfEven(ref->meanWatts, 1), fmt_)));
        if (!b.reliable)
            text += QStringLiteral("\nFewer than 3 minutes: unreliable");
        return text;
    }
    return {};
}

} // namespace korvane
