#include "power_curve_chart.h"

#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

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

const QColor kBinColour(200, 40, 30);
const QColor kMakerColour(40, 40, 40);
const QColor kReferenceColour(30, 150, 70);

} // namespace

PowerCurveSeries drawPowerCurve(QChart* chart, const PowerCurveView& view,
                                const TurbineSettings& turbine, const QList<QPointF>& dots,
                                const PowerCurveLabels& labels) {
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
    scatter->replace(dots);

    chart->addSeries(scatter);
    // Below 0 the axis reaches only as far as a bin's mean: a few minutes
    // of a load switched mid-gust would otherwise squash the curve.
    double xMax = 0, yMin = 0, yMax = 0;
    for (const WindPowerPoint& p : view.points) {
        xMax = std::max(xMax, p.wind);
        yMax = std::max(yMax, p.watts);
    }
    for (const CurveBin& b : view.bins)
        yMin = std::min(yMin, b.meanWatts);
    // Calm bins a watt below 0 are noise, not worth a whole tick of axis.
    if (yMin > -0.03 * yMax)
        yMin = 0;
    // The reference goes under the range's bins, which it often all but
    // covers when the turbine is as good as it was.
    if (!view.referenceBins.empty()) {
        auto* refLine = new QLineSeries;
        refLine->setName(labels.reference);
        refLine->setPen(QPen(kReferenceColour, 1.5));
        auto* refBins = new QScatterSeries;
        refBins->setName(labels.reference + QStringLiteral(" bins"));
        refBins->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        refBins->setMarkerSize(6);
        refBins->setBrush(Qt::white);
        refBins->setPen(QPen(kReferenceColour, 1.5));
        for (const CurveBin& b : view.referenceBins) {
            if (!b.reliable)
                continue;
            refLine->append(b.windMid(), b.meanWatts);
            refBins->append(b.windMid(), b.meanWatts);
            yMin = std::min(yMin, b.meanWatts);
            yMax = std::max(yMax, b.meanWatts);
        }
        chart->addSeries(refLine);
        chart->addSeries(refBins);
        for (QLegendMarker* marker : chart->legend()->markers(refBins))
            marker->setVisible(false);
    }

    auto* line = new QLineSeries;
    line->setName(QStringLiteral("Bin means"));
    line->setPen(QPen(kBinColour, 2));
    auto* solid = new QScatterSeries;
    solid->setName(QStringLiteral("Bin mean"));
    solid->setMarkerSize(9);
    solid->setColor(kBinColour);
    solid->setBorderColor(kBinColour);
    auto* hollow = new QScatterSeries;
    hollow->setName(QStringLiteral("Under 3 minutes"));
    hollow->setMarkerSize(9);
    hollow->setBrush(Qt::NoBrush);
    hollow->setPen(QPen(kBinColour, 1.5));
    for (const CurveBin& b : view.bins) {
        if (b.reliable) {
            line->append(b.windMid(), b.meanWatts);
            solid->append(b.windMid(), b.meanWatts);
        } else {
            hollow->append(b.windMid(), b.meanWatts);
        }
    }
    for (QAbstractSeries* s :
         {static_cast<QAbstractSeries*>(line), static_cast<QAbstractSeries*>(solid),
          static_cast<QAbstractSeries*>(hollow)})
        chart->addSeries(s);
    double xAxis = view.bins.empty() ? 1.0 : std::max(1.0, std::ceil(view.bins.back().windTo));
    for (const CurveBin& b : view.referenceBins)
        xAxis = std::max(xAxis, std::ceil(b.windTo));

    if (view.hasMaker) {
        auto* maker = new QLineSeries;
        maker->setName(QStringLiteral("Maker's curve"));
        maker->setPen(QPen(kMakerColour, 2, Qt::DashLine));
        for (const CurvePoint& p : turbine.maker) {
            maker->append(p.wind, p.watts);
            if (p.wind <= xAxis)
                yMax = std::max(yMax, p.watts);
        }
        yMax = std::max(yMax, curveWattsAt(turbine.maker, xAxis));
        chart->addSeries(maker);
    }
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("Mean wind speed (%1)").arg(labels.windUnits));
    x->setRange(0, xAxis);
    x->setLabelFormat(QStringLiteral("%g"));
    auto* y = new QValueAxis;
    y->setTitleText(labels.estimated ? QStringLiteral("Estimated turbine output (W)")
                                     : QStringLiteral("Mean watts (W)"));
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
    return {solid, hollow};
}

} // namespace korvane
