#pragma once
// The Trends window: one date range (a preset or two dates) for five tabs
// drawn from korvane.db: Energy, Power curve, Battery, Days and Alarms, with
// turbine.cfg for the turbine's output and its index.  Only the
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
#include "trends/turbine_config.h"
#include "turbine_dialog.h"

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
    // Asks for the maker's curve CSV file to read.
    OpenFileChooser chooseOpenFile;
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

    // turbine.cfg as the window uses it.
    const TurbineConfig& turbineConfig() const { return turbineConfig_; }
    // Saves a changed turbine.cfg and draws the tabs that use it again; a
    // failure is said in a message and changes nothing.
    bool saveTurbine(const TurbineConfig& changed);
    // What "Turbine..." opens; `prepare`, when given, is called with the
    // dialog before it runs (tests fill it in and press its buttons).
    void editTurbine(const std::function<void(TurbineDialog&)>& prepare = {});

private:
    void setRange(DateRange range);
    void drawCurrentTab();
    int today() const;

    TrendsServices services_;
    std::string windUnits_;
    std::unique_ptr<TrendsReader> reader_;
    TurbineConfig turbineConfig_;
    TurbineSettings turbine_;
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
