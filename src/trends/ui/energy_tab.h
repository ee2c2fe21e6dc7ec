#pragma once
// The Energy tab: one bar per date of the range (watt-hours, or kWh when
// the largest bar passes 10,000 Wh), the total and daily mean above it.
// A range too long for a bar a day gets a bar a week or a month, and says
// so above the bars; one too long for those is refused with a sentence.
// Today's bar is lighter, "today so far".  Dates known only from imported
// logs stand as hatched grey bars of "energy unknown"; dates with nothing
// stored have no bar.  Hovering a bar tells its dates, energy, peak watts
// and load-on time; double-clicking a day's bar asks for the history
// window on that day, a week's or a month's bar for that range.

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

    // Called with the date (yyyymmdd) of a double-clicked day's bar.
    std::function<void(int date)> onDayChosen;
    // Called with the dates of a double-clicked week's or month's bar.
    std::function<void(DateRange range)> onRangeChosen;

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
    void drawBars();

    ChartPage* page_ = nullptr;
    QLabel* headline_ = nullptr;
    EnergySummary summary_;
    NumberFormat fmt_;
    const TimeFormats* times_ = nullptr;
    QString lastHover_;
};

} // namespace korvane
