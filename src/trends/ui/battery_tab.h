#pragma once
// The Battery tab: per date of the range the lowest and highest volts as a
// band, and the peak watts on a second axis.  Drag a rectangle to zoom in;
// "Reset zoom" (or a right click) goes back.

#include "chart_page.h"
#include "tab_context.h"

#include <QWidget>

namespace korvane {

class BatteryTab : public QWidget {
    Q_OBJECT
public:
    explicit BatteryTab(QWidget* parent = nullptr);

    void render(const TabContext& c);

    ChartPage* page() const { return page_; }
    // The number of dates drawn in the band, for tests.
    int bandDays() const { return bandDays_; }

private:
    ChartPage* page_ = nullptr;
    int bandDays_ = 0;
};

} // namespace korvane
