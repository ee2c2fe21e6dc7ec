#pragma once
// The Energy tab: one bar per date of the range (watt-hours, or kWh when
// the largest bar passes 10,000 Wh), the total and daily mean above it.
// Dates known only from imported logs stand as hatched grey bars of "energy
// unknown"; dates with nothing stored have no bar.  Hovering a bar tells its
// day, energy, peak watts and load-on time; double-clicking it asks for the
// history window on that day.

#include "chart_page.h"
#include "tab_context.h"
#include "trends/daily_energy.h"

#include <QWidget>
#include <functional>

class QLabel;

namespace korvane {

class EnergyTab : public QWidget {
    Q_OBJECT
public:
    explicit EnergyTab(QWidget* parent = nullptr);

    void render(const TabContext& c);

    // Called with the date (yyyymmdd) of a double-clicked bar.
    std::function<void(int date)> onDayChosen;

    // What the window shows, for tests: the headline, the bar texts.
    QString headline() const;
    const EnergySummary& summary() const { return summary_; }
    ChartPage* page() const { return page_; }
    // The hover text of bar `index` (index into summary().bars).
    QString barText(int index) const;
    QString lastHoverText() const { return lastHover_; }
    void hoverBar(int index);
    void chooseBar(int index);

private:
    ChartPage* page_ = nullptr;
    QLabel* headline_ = nullptr;
    EnergySummary summary_;
    NumberFormat fmt_;
    const TimeFormats* times_ = nullptr;
    QString lastHover_;
};

} // namespace korvane
