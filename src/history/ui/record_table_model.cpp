#include "record_table_model.h"

#include "platform/qt/qt_platform.h"

namespace korvane {

RecordTableModel::RecordTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void RecordTableModel::setTitles(const QStringList& titles) {
    titles_ = titles;
    emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
}

void RecordTableModel::setRows(std::vector<TableRecord> rows, const HistoryTextForms& forms) {
    beginResetModel();
    rows_ = std::move(rows);
    forms_ = forms;
    endResetModel();
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.column() == 0)
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= rows_.size() || index.column() >= kColumns)
        return {};
    return fromLocal8(tableCellText(rows_[row], index.column() - 1, forms_));
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= titles_.size())
        return {};
    return titles_.at(section);
}

} // namespace korvane
