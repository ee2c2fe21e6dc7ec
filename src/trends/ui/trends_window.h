#pragma once
// The Trends window: one date range (a preset or two dates) for four tabs
// drawn from korvane.db: Energy, Power curve, Battery and Days.  Only the
// shown tab is drawn; the others are drawn when first shown after a change
// of range.  A store that is missing or unreadable is said in place of the
// tabs.  Modal; it reads on its own connection, so the main window's port,
// logging and energy go on behind it.

#include "days_tab.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/time_formats.h"
#include "trends/date_range.h"
#include "trends/trends_reader.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QDateEdit;
class QLabel;
class QStackedLayout;
class QTabWidget;

namespace korvane {

class AlarmsTab;
class BatteryTab;
class EnergyTab;
class PowerCurveTab;

struct TrendsServices {
    std::string appFolder;
    NumberFormat numberFormat;
    const Clock& clock;
    const TimeFormats& timeFormats;
    MessageSink& messages;
    SaveFileChooser chooseSaveFile;
    // Opens the history window on the date (yyyymmdd) over `parent`.
    std::function<void(QWidget* parent, int date)> openHistoryDay;
};

class Trends : public QDialog {
    Q_OBJECT
public:
    enum Tab { EnergyPage, PowerCurvePage, BatteryPage, DaysPage, AlarmsPage };

    // Opens the store and draws the Energy tab over the last 30 days.  The
    // services must outlive the window.
    Trends(TrendsServices services, QWidget* parent = nullptr);
    ~Trends() override;

    void choosePreset(RangePreset preset);
    // Both dates yyyymmdd, in any order.
    void chooseDates(int from, int to);
    DateRange range() const { return range_; }

    QTabWidget* tabs() const { return tabs_; }
    EnergyTab* energyTab() const { return energy_; }
    PowerCurveTab* powerCurveTab() const { return powerCurve_; }
    BatteryTab* batteryTab() const { return battery_; }
    DaysTab* daysTab() const { return days_; }
    AlarmsTab* alarmsTab() const { return alarms_; }
    // The sentence shown instead of the tabs, empty when they show.
    QString storeProblem() const;

private:
    void setRange(DateRange range);
    void drawCurrentTab();
    int today() const;

    TrendsServices services_;
    std::string windUnits_;
    std::unique_ptr<TrendsReader> reader_;
    DateRange range_;
    std::array<bool, 5> drawn_{};

    QComboBox* Preset = nullptr;
    QDateEdit* FromDate = nullptr;
    QDateEdit* ToDate = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* problem_ = nullptr;
    QStackedLayout* stack_ = nullptr;
    EnergyTab* energy_ = nullptr;
    PowerCurveTab* powerCurve_ = nullptr;
    BatteryTab* battery_ = nullptr;
    DaysTab* days_ = nullptr;
    AlarmsTab* alarms_ = nullptr;
};

} // namespace korvane
