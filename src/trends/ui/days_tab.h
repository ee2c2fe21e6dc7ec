#pragma once
// The Days tab: the `days` view over the range as a sortable table, each
// column with the same decimals down it, and each day's performance index
// (against the maker's curve, or else the reference period's); "Export
// CSV..." writes the rows in their shown order as RFC 4180 CSV (dot
// decimals, a header row), replacing the chosen file atomically.

#include "platform/messages.h"
#include "tab_context.h"

#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QStackedLayout;
class QTableView;

namespace korvane {

class DaysModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    // `indexes` by position of `days`; shorter means unknown.
    void setDays(std::vector<DayTotal> days, std::vector<std::optional<double>> indexes,
                 NumberFormat fmt, const TimeFormats* times, std::vector<std::string> titles);
    const std::vector<DayTotal>& days() const { return days_; }
    std::optional<double> dayIndex(std::size_t row) const {
        return row < indexes_.size() ? indexes_[row] : std::nullopt;
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

private:
    std::vector<DayTotal> days_;
    std::vector<std::optional<double>> indexes_;
    std::vector<std::string> titles_;
    NumberFormat fmt_;
    const TimeFormats* times_ = nullptr;
};

// Asks where to save: the suggested file name in, the chosen path out ("" = cancelled).
using SaveFileChooser = std::function<std::string(QWidget* parent, const std::string& suggested)>;

class DaysTab : public QWidget {
    Q_OBJECT
public:
    DaysTab(SaveFileChooser chooser, MessageSink& messages, QWidget* parent = nullptr);

    void render(const TabContext& c);
    // What "Export CSV..." does.
    void exportCsv();

    QTableView* table() const { return table_; }
    QString message() const;

private:
    static std::vector<std::optional<double>> dayIndexesOf(const TabContext& c,
                                                           const std::vector<DayTotal>& days);

    SaveFileChooser chooser_;
    MessageSink& messages_;
    DaysModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    QTableView* table_ = nullptr;
    QPushButton* export_ = nullptr;
    QLabel* message_ = nullptr;
    QStackedLayout* stack_ = nullptr;
    std::string windUnits_;
    DateRange range_;
};

} // namespace korvane
