#include "power_curve_tab.h"

#include "platform/qt/qt_platform.h"

#include <QCursor>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

// The scatter is thinned to one dot per cell of about 4 x 3 pixels of a
// large chart: the dots are 4 pixels wide, so it looks the same, and a
// year draws in tens of milliseconds (the line series strokes a path
// through its points even without a pen).
constexpr int kScatterColumns = 200;
constexpr int kScatterRows = 130;

QImage dotImage(const QColor& colour) {
    QImage dot(4, 4, QImage::Format_ARGB32_Premultiplied);
    dot.fill(Qt::transparent);
    QPainter p(&dot);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(0, 0, 4, 4));
    return dot;
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
    auto* label = new QLabel(QStringLiteral("Bin width:"), this);
    label->setBuddy(binWidth_);
    page_ = new ChartPage(QStringLiteral("PowerCurveChart"), this);
    auto* controls = new QHBoxLayout;
    controls->addWidget(label);
    controls->addWidget(binWidth_);
    controls->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(page_, 1);
    connect(binWidth_, &QDoubleSpinBox::valueChanged, this, [this] { draw(); });
}

void PowerCurveTab::render(const TabContext& c) {
    fmt_ = c.numberFormat;
    windUnits_ = c.windUnits;
    const std::vector<WindPowerPoint>* points = c.reader.points(c.range);
    if (!points) {
        points_.clear();
        dots_.clear();
        bins_.clear();
        page_->showMessage(fromLocal8(c.reader.problem()));
        return;
    }
    points_ = *points;
    dots_.clear();
    for (const WindPowerPoint& p : thinScatter(points_, kScatterColumns, kScatterRows))
        dots_.append(QPointF(p.wind, p.watts));
    if (points_.empty()) {
        bins_.clear();
        page_->showMessage(noDataText(c) + QStringLiteral(" (no minutes with packets)"));
        return;
    }
    draw();
}

void PowerCurveTab::draw() {
    if (points_.empty())
        return;
    lastHover_.clear();
    bins_ = binPowerCurve(points_, binWidth_->value());
    page_->clear();
    QChart* chart = page_->chart();

    // The minutes are the points of a line series drawn without its line:
    // its light markers are painted in one pass, while a scatter series
    // makes a graphics item of every marker and takes about a second for
    // the 30,000 dots of a year.
    const QColor dotColour(110, 150, 215, 150);
    auto* scatter = new QLineSeries;
    scatter->setName(QStringLiteral("Minutes"));
    scatter->setPen(QPen(Qt::NoPen));
    scatter->setColor(dotColour);
    scatter->setLightMarker(dotImage(dotColour));
    scatter->setMarkerSize(4);
    scatter->setPointsVisible(true);
    scatter->replace(dots_);

    auto* line = new QLineSeries;
    line->setName(QStringLiteral("Mean watts per bin of 3 minutes or more"));
    line->setPen(QPen(QColor(200, 40, 30), 2));
    auto* solid = new QScatterSeries;
    solid->setName(QStringLiteral("Bin mean"));
    solid->setMarkerSize(9);
    solid->setColor(QColor(200, 40, 30));
    solid->setBorderColor(QColor(200, 40, 30));
    auto* hollow = new QScatterSeries;
    hollow->setName(QStringLiteral("Bin of fewer than 3 minutes (unreliable)"));
    hollow->setMarkerSize(9);
    hollow->setBrush(Qt::NoBrush);
    hollow->setPen(QPen(QColor(200, 40, 30), 1.5));
    for (const CurveBin& b : bins_) {
        if (b.reliable) {
            line->append(b.windMid(), b.meanWatts);
            solid->append(b.windMid(), b.meanWatts);
        } else {
            hollow->append(b.windMid(), b.meanWatts);
        }
    }
    for (QAbstractSeries* s :
         {static_cast<QAbstractSeries*>(scatter), static_cast<QAbstractSeries*>(line),
          static_cast<QAbstractSeries*>(solid), static_cast<QAbstractSeries*>(hollow)})
        chart->addSeries(s);

    double xMax = 0, yMin = 0, yMax = 0;
    for (const WindPowerPoint& p : points_) {
        xMax = std::max(xMax, p.wind);
        yMin = std::min(yMin, p.watts);
        yMax = std::max(yMax, p.watts);
    }
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("Mean wind speed (%1)").arg(fromLocal8(windUnits_)));
    x->setRange(0, std::max(1.0, std::ceil(bins_.back().windTo)));
    x->setLabelFormat(QStringLiteral("%g"));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Mean watts (W)"));
    y->setRange(yMin, yMax > yMin ? yMax * 1.05 : yMin + 1);
    y->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    // The line's marker already stands for the solid bins.
    for (QLegendMarker* marker : chart->legend()->markers(solid))
        marker->setVisible(false);
    x->applyNiceNumbers();
    y->applyNiceNumbers();
    if (xMax > x->max())
        x->setMax(xMax);

    for (QScatterSeries* s : {solid, hollow})
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

QString PowerCurveTab::binText(double wind) const {
    for (const CurveBin& b : bins_) {
        if (wind >= b.windFrom && wind < b.windTo) {
            const QString units = fromLocal8(windUnits_);
            QString text = QStringLiteral("%1 to %2 %3\n%4 minutes, mean %5 W")
                               .arg(fromLocal8(formatGeneral(b.windFrom, fmt_)),
                                    fromLocal8(formatGeneral(b.windTo, fmt_)), units)
                               .arg(b.minutes)
                               .arg(fromLocal8(formatGeneral(roundHalfEven(b.meanWatts, 1), fmt_)));
            if (!b.reliable)
                text += QStringLiteral("\nFewer than 3 minutes: unreliable");
            return text;
        }
    }
    return {};
}

} // namespace korvane
