#pragma once
// Draws a PowerCurveView on a chart: the minutes as light dots, the mean of
// each bin (solid when reliable, hollow when not) joined by a line, the
// maker's curve dashed, and the reference period's bins beside them.

#include "trends/power_curve_view.h"

#include <QChart>
#include <QList>
#include <QPointF>
#include <QString>

class QScatterSeries;

namespace korvane {

struct PowerCurveLabels {
    QString windUnits;
    bool estimated = false; // the output is estimated (a current is set), not the net watts
    QString reference;      // the reference period as "1-30 Jun"; empty for none
};

struct PowerCurveSeries {
    QScatterSeries* solid = nullptr;  // reliable bins
    QScatterSeries* hollow = nullptr; // the others
};

// Adds the series in this order: the minutes, the reference line and its
// bins when there is a reference, the bin line, the solid and the hollow
// bins, and the maker's curve when there is one.  `chart` must be empty.
PowerCurveSeries drawPowerCurve(QChart* chart, const PowerCurveView& view,
                                const TurbineSettings& turbine, const QList<QPointF>& dots,
                                const PowerCurveLabels& labels);

} // namespace korvane
