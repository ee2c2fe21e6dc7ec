#pragma once
// The record table of the history window as a model: the rows stay the
// plot model's numbers and are written as text only when the view asks for
// the cells it shows, so ten thousand rows reset in well under a millisecond.

#include "history/plot_model.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

namespace korvane {

class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Column 0 is an empty placeholder; columns 1..7 show tableCellText.
    static constexpr int kColumns = 8;

    explicit RecordTableModel(QObject* parent = nullptr);

    // The eight column titles, left to right.
    void setTitles(const QStringList& titles);
    // `forms` must outlive the rows (its TimeFormats is kept by pointer).
    void setRows(std::vector<TableRecord> rows, const HistoryTextForms& forms);
    const std::vector<TableRecord>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QStringList titles_;
    std::vector<TableRecord> rows_;
    HistoryTextForms forms_;
};

} // namespace korvane
