#pragma once
// The Power curve tab: the range's minutes as a scatter of mean wind speed
// against the turbine's estimated output (the net watts plus what the load
// and the rest draw, from turbine.cfg), and over it the mean of each wind
// bin.  Bins of fewer than 3 minutes are hollow and left out of the line.
// "Minutes" picks all minutes, those with the load off or those with it on;
// the bin width (0.25 to 5 wind units) rebins the minutes already read.
// The maker's curve is drawn over the bins, and "Compare with" draws the
// bins of a reference period beside them.  Beside the chart stand the
// range's index against each and, per bin, its mean over theirs.

#include "chart_page.h"
#include "tab_context.h"
#include "trends/power_curve_view.h"

#include <QList>
#include <QPointF>
#include <QWidget>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace korvane {

class PowerCurveTab : public QWidget {
    Q_OBJECT
public:
    explicit PowerCurveTab(QWidget* parent = nullptr);

    void render(const TabContext& c);

    // Asked to keep a changed reference period in turbine.cfg; the window
    // saves it and draws the tab again.
    std::function<void(const TurbineConfig& changed)> onTurbineChanged;
    // "Turbine..." was pressed.
    std::function<void()> onEditTurbine;

    // For tests.
    ChartPage* page() const { return page_; }
    const std::vector<CurveBin>& bins() const { return view_.bins; }
    const PowerCurveView& view() const { return view_; }
    QDoubleSpinBox* binWidth() const { return binWidth_; }
    QComboBox* minutesChoice() const { return choice_; }
    QCheckBox* compare() const { return compare_; }
    QDateEdit* referenceFrom() const { return refFrom_; }
    QDateEdit* referenceTo() const { return refTo_; }
    QPushButton* turbineButton() const { return turbine_; }
    QTreeWidget* binTable() const { return binTable_; }
    QString makerIndexText() const;
    QString referenceIndexText() const;
    // The hover text of the bin holding `wind`, empty when none.
    QString binText(double wind) const;
    QString lastHoverText() const { return lastHover_; }

private:
    void draw();
    void showIndexes();
    void fillBinTable();
    void referenceEdited();
    QString referenceName() const;

    ChartPage* page_ = nullptr;
    QDoubleSpinBox* binWidth_ = nullptr;
    QComboBox* choice_ = nullptr;
    QCheckBox* compare_ = nullptr;
    QDateEdit* refFrom_ = nullptr;
    QDateEdit* refTo_ = nullptr;
    QPushButton* turbine_ = nullptr;
    QLabel* makerIndex_ = nullptr;
    QLabel* referenceIndex_ = nullptr;
    QTreeWidget* binTable_ = nullptr;

    std::vector<TurbineMinute> minutes_;
    std::vector<TurbineMinute> referenceMinutes_;
    TurbineConfig config_;
    QString configProblem_;
    TurbineSettings turbineSettings_;
    DateRange range_;
    int today_ = 0;
    QString emptyText_;
    PowerCurveView view_;
    NumberFormat fmt_;
    std::string windUnits_;
    QString lastHover_;
};

} // namespace korvane
