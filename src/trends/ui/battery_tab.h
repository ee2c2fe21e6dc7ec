#pragma once
// The Battery tab: per date of the range the lowest and highest volts as a
// band a day wide, and the day's peak watts on a second axis, so a range of
// one date still shows a bar.  Today is drawn only up to its last stored
// minute, lighter, as "Today so far".  Drag a rectangle to zoom in; "Reset
// zoom" (or a right click) goes back.

#include "chart_page.h"
#include "tab_context.h"

#include <QWidget>

class QPushButton;

namespace korvane {

class BatteryTab : public QWidget {
    Q_OBJECT
public:
    explicit BatteryTab(QWidget* parent = nullptr);

    void render(const TabContext& c);

    ChartPage* page() const { return page_; }
    QPushButton* resetZoom() const { return reset_; }
    // The number of dates drawn in the band, for tests.
    int bandDays() const { return bandDays_; }

private:
    ChartPage* page_ = nullptr;
    QPushButton* reset_ = nullptr;
    int bandDays_ = 0;
};

} // namespace korvane
