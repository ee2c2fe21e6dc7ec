#include "turbine_dialog.h"

#include "platform/files.h"
#include "platform/qt/qt_platform.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

namespace korvane {

namespace {

constexpr int kBlankRows = 3; // left for typing below the curve's rows

std::string cellText(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? toLocal8(item->text().trimmed()) : std::string();
}

// The number as the file keeps it (dot decimals), or the text as typed when
// it is not one, so the check that follows names it.
std::string fileNumber(const QString& typed) {
    const std::string text = toLocal8(typed.trimmed());
    for (char decimal : {'.', ','})
        if (const auto v = parseNumber(text, NumberFormat{decimal}))
            return formatGeneral(*v, NumberFormat{'.'});
    return text;
}

} // namespace

TurbineDialog::TurbineDialog(TurbineConfig current, TurbineDialogServices services, QWidget* parent)
    : QDialog(parent), config_(std::move(current)), services_(std::move(services)) {
    setObjectName(QStringLiteral("Turbine"));
    setWindowTitle(QStringLiteral("Turbine"));
    setModal(true);
    const QString units = fromLocal8(services_.windUnits);
    const TurbineSettings settings = turbineSettings(config_);

    auto* intro = new QLabel(
        QStringLiteral("The board measures the battery's net current. Give what the load draws "
                       "when it is on, and what everything else draws all the time, and the "
                       "power curve shows the turbine's own output."),
        this);
    intro->setWordWrap(true);
    loadAmps_ = new QLineEdit(numberText(settings.loadAmps), this);
    loadAmps_->setObjectName(QStringLiteral("LoadAmps"));
    idleAmps_ = new QLineEdit(numberText(settings.idleAmps), this);
    idleAmps_->setObjectName(QStringLiteral("IdleAmps"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Load current when on (A):"), loadAmps_);
    form->addRow(QStringLiteral("Other draw, all the time (A):"), idleAmps_);

    auto* curveLabel = new QLabel(
        QStringLiteral("Maker's power curve (wind speeds increasing; empty for none):"), this);
    table_ = new QTableWidget(0, 2, this);
    table_->setObjectName(QStringLiteral("MakerCurve"));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Wind speed (%1)").arg(units), QStringLiteral("Watts")});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    setRows(settings.maker);

    auto* add = new QPushButton(QStringLiteral("Add row"), this);
    add->setObjectName(QStringLiteral("AddRow"));
    auto* remove = new QPushButton(QStringLiteral("Remove row"), this);
    remove->setObjectName(QStringLiteral("RemoveRow"));
    auto* csv = new QPushButton(QStringLiteral("Read CSV..."), this);
    csv->setObjectName(QStringLiteral("ReadCsv"));
    csvUnit_ = new QComboBox(this);
    csvUnit_->setObjectName(QStringLiteral("CsvUnit"));
    const auto setupUnit = windUnitOf(services_.windUnits);
    if (setupUnit) {
        for (WindUnit u : kWindUnits)
            csvUnit_->addItem(fromLocal8(std::string(windUnitName(u))), static_cast<int>(u));
        csvUnit_->setCurrentIndex(static_cast<int>(*setupUnit));
    } else {
        // A unit Korvane does not know cannot be converted to: the file's
        // winds are taken as they stand.
        csvUnit_->addItem(units, -1);
    }
    auto* rowButtons = new QHBoxLayout;
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addStretch(1);
    rowButtons->addWidget(csv);
    rowButtons->addWidget(new QLabel(QStringLiteral("in"), this));
    rowButtons->addWidget(csvUnit_);

    auto* saveButton = new QPushButton(QStringLiteral("Save"), this);
    saveButton->setObjectName(QStringLiteral("Save"));
    saveButton->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveButton);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(curveLabel);
    layout->addWidget(table_, 1);
    layout->addLayout(rowButtons);
    layout->addLayout(buttons);
    resize(460, 520);

    connect(add, &QPushButton::clicked, this, [this] { addRow(); });
    connect(remove, &QPushButton::clicked, this, [this] {
        std::set<int, std::greater<>> rows;
        for (const QModelIndex& i : table_->selectionModel()->selectedIndexes())
            rows.insert(i.row());
        if (rows.empty() && table_->currentRow() >= 0)
            rows.insert(table_->currentRow());
        for (int r : rows)
            table_->removeRow(r);
    });
    connect(csv, &QPushButton::clicked, this, [this] { readCsv(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TurbineDialog::numberText(double value) const {
    return fromLocal8(formatGeneral(roundHalfEven(value, 3), services_.numberFormat));
}

void TurbineDialog::setRows(const std::vector<CurvePoint>& points) {
    table_->setRowCount(0);
    for (const CurvePoint& p : points) {
        const int r = table_->rowCount();
        table_->insertRow(r);
        table_->setItem(r, 0, new QTableWidgetItem(numberText(p.wind)));
        table_->setItem(r, 1, new QTableWidgetItem(numberText(p.watts)));
    }
    for (int i = 0; i < kBlankRows; ++i)
        addRow();
}

void TurbineDialog::addRow() {
    table_->insertRow(table_->rowCount());
}

bool TurbineDialog::save() {
    std::vector<CurveTextRow> rows;
    for (int r = 0; r < table_->rowCount(); ++r) {
        CurveTextRow row{r + 1, cellText(table_, r, 0), cellText(table_, r, 1)};
        if (!row.wind.empty() || !row.watts.empty())
            rows.push_back(std::move(row));
    }
    const ParsedCurve curve = parseCurveRows(rows, "Maker's curve, row");
    if (!curve.ok()) {
        services_.messages.showMessage(curve.problem);
        return false;
    }
    TurbineConfig edited = config_;
    edited.LoadAmps = fileNumber(loadAmps_->text());
    edited.IdleAmps = fileNumber(idleAmps_->text());
    edited.MakerCurve = formatMakerCurve(curve.points);
    if (const std::string problem = turbineConfigProblem(edited); !problem.empty()) {
        services_.messages.showMessage(problem);
        return false;
    }
    if (const int error = services_.save ? services_.save(edited) : 0; error != 0) {
        services_.messages.showMessage("The turbine settings could not be saved to " +
                                       services_.path + " (" + errorText(error) +
                                       ").\nThe file was left as it was.");
        return false;
    }
    config_ = edited;
    accept();
    return true;
}

void TurbineDialog::readCsv() {
    if (!services_.chooseCsv)
        return;
    const std::string path = services_.chooseCsv(this);
    if (path.empty())
        return;
    const auto text = readWholeFile(path);
    if (!text) {
        services_.messages.showMessage("Cannot read " + path + ".");
        return;
    }
    double factor = 1;
    const auto setupUnit = windUnitOf(services_.windUnits);
    if (const int unit = csvUnit_->currentData().toInt(); setupUnit && unit >= 0)
        factor = windFactor(static_cast<WindUnit>(unit), *setupUnit);
    const ParsedCurve curve = parseCurveCsv(*text, factor);
    if (!curve.ok()) {
        const bool line = curve.problem.rfind("line ", 0) == 0;
        services_.messages.showMessage(path + (line ? ", " : ": ") + curve.problem +
                                       "\nThe table was left as it was.");
        return;
    }
    setRows(curve.points);
}

} // namespace korvane
