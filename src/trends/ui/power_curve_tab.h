#pragma once
// The Power curve tab: the range's minutes as a scatter of mean wind speed
// against mean watts, and over it the mean watts of each wind bin.  Bins of
// fewer than 3 minutes are hollow and left out of the line.  The bin width
// (0.25 to 5 wind units) rebins the minutes already read.

#include "chart_page.h"
#include "tab_context.h"
#include "trends/power_curve.h"

#include <QList>
#include <QPointF>
#include <QWidget>

class QDoubleSpinBox;

namespace korvane {

class PowerCurveTab : public QWidget {
    Q_OBJECT
public:
    explicit PowerCurveTab(QWidget* parent = nullptr);

    void render(const TabContext& c);

    // For tests.
    ChartPage* page() const { return page_; }
    const std::vector<CurveBin>& bins() const { return bins_; }
    QDoubleSpinBox* binWidth() const { return binWidth_; }
    // The hover text of the bin holding `wind`, empty when none.
    QString binText(double wind) const;
    QString lastHoverText() const { return lastHover_; }

private:
    void draw();

    ChartPage* page_ = nullptr;
    QDoubleSpinBox* binWidth_ = nullptr;
    std::vector<WindPowerPoint> points_;
    QList<QPointF> dots_; // points_ thinned for the scatter
    std::vector<CurveBin> bins_;
    NumberFormat fmt_;
    std::string windUnits_;
    QString lastHover_;
};

} // namespace korvane
