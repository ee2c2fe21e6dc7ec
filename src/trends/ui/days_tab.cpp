#include "days_tab.h"

#include "chart_page.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "trends/days_table.h"
#include "trends/performance_index.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStackedLayout>
#include <QTableView>
#include <QVBoxLayout>
#include <limits>

namespace korvane {

void DaysModel::setDays(std::vector<DayTotal> days, std::vector<std::optional<double>> indexes,
                        NumberFormat fmt, const TimeFormats* times,
                        std::vector<std::string> titles) {
    beginResetModel();
    days_ = std::move(days);
    indexes_ = std::move(indexes);
    fmt_ = fmt;
    times_ = times;
    titles_ = std::move(titles);
    endResetModel();
}

int DaysModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(days_.size());
}

int DaysModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kDayColumns;
}

QVariant DaysModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(days_.size()))
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const DayTotal& d = days_[row];
    const auto column = static_cast<DayColumn>(index.column());
    switch (role) {
    case Qt::DisplayRole: {
        if (column == DayColumn::Day && times_)
            return dateText(d.date, *times_);
        if (column == DayColumn::Energy && d.minutes == 0)
            return QStringLiteral("unknown");
        return fromLocal8(dayCellFixedText(d, column, fmt_, dayIndex(row)));
    }
    case Qt::UserRole: {
        // Unknown values sort below every number.
        const auto v = dayCellValue(d, column, dayIndex(row));
        return v ? *v : -std::numeric_limits<double>::infinity();
    }
    case Qt::TextAlignmentRole:
        return column == DayColumn::Day ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                        : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant DaysModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < static_cast<int>(titles_.size()))
        return fromLocal8(titles_[static_cast<std::size_t>(section)]);
    return QAbstractTableModel::headerData(section, o, role);
}

DaysTab::DaysTab(SaveFileChooser chooser, MessageSink& messages, QWidget* parent)
    : QWidget(parent), chooser_(std::move(chooser)), messages_(messages) {
    setObjectName(QStringLiteral("DaysTab"));
    model_ = new DaysModel(this);
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setSortRole(Qt::UserRole);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("DaysTable"));
    table_->setModel(proxy_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(0, Qt::AscendingOrder);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("DaysMessage"));
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    export_ = new QPushButton(QStringLiteral("Export CSV..."), this);
    export_->setObjectName(QStringLiteral("ExportCsv"));
    connect(export_, &QPushButton::clicked, this, [this] { exportCsv(); });

    auto* area = new QWidget(this);
    stack_ = new QStackedLayout(area);
    stack_->setContentsMargins(0, 0, 0, 0);
    stack_->addWidget(table_);
    stack_->addWidget(message_);
    auto* controls = new QHBoxLayout;
    controls->addStretch(1);
    controls->addWidget(export_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(area, 1);
}

QString DaysTab::message() const {
    return stack_->currentWidget() == message_ ? message_->text() : QString();
}

void DaysTab::render(const TabContext& c) {
    windUnits_ = c.windUnits;
    range_ = c.range;
    const std::vector<DayTotal>* days = c.reader.days(c.range);
    std::vector<std::optional<double>> indexes;
    if (days && !days->empty())
        indexes = dayIndexesOf(c, *days);
    model_->setDays(days ? *days : std::vector<DayTotal>{}, std::move(indexes), c.numberFormat,
                    &c.timeFormats, dayColumnTitles(c.windUnits));
    export_->setEnabled(days && !days->empty());
    if (!days) {
        message_->setText(fromLocal8(c.reader.problem()));
        stack_->setCurrentWidget(message_);
    } else if (days->empty()) {
        message_->setText(noDataText(c));
        stack_->setCurrentWidget(message_);
    } else {
        stack_->setCurrentWidget(table_);
    }
}

std::vector<std::optional<double>> DaysTab::dayIndexesOf(const TabContext& c,
                                                         const std::vector<DayTotal>& days) {
    return indexesOfDays(c.turbine, c.range, days,
                         [&](DateRange r) { return c.reader.turbineMinutes(r); });
}

void DaysTab::exportCsv() {
    if (model_->days().empty() || !chooser_)
        return;
    const std::string suggested =
        "korvane-days-" + isoDate(range_.from) + "-to-" + isoDate(range_.to) + ".csv";
    const std::string path = chooser_(this, suggested);
    if (path.empty())
        return;
    std::vector<DayTotal> shown;
    std::vector<std::optional<double>> indexes;
    shown.reserve(model_->days().size());
    for (int r = 0; r < proxy_->rowCount(); ++r) {
        const auto row = static_cast<std::size_t>(proxy_->mapToSource(proxy_->index(r, 0)).row());
        shown.push_back(model_->days()[row]);
        indexes.push_back(model_->dayIndex(row));
    }
    const int error = replaceFileReportingError(path, daysCsv(shown, windUnits_, indexes));
    if (error != 0)
        messages_.showMessage("Cannot write " + path + ": " + errorText(error));
}

} // namespace korvane
