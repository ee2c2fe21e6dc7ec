#pragma once
// The "Turbine" dialog: the load's current and the other draw on the
// battery, from which the turbine's output is estimated, and the maker's
// power curve, typed row by row or read from a two-column CSV file in any
// of four wind units.  "Save" checks everything first and refuses with a
// message naming the field or row, leaving turbine.cfg as it was; the
// reference period is kept as it stands (the Power curve tab sets it).

#include "platform/messages.h"
#include "platform/numbers.h"
#include "trends/turbine_config.h"

#include <QDialog>
#include <functional>
#include <string>

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace korvane {

// Asks for a file to read: the chosen path out ("" = cancelled).
using OpenFileChooser = std::function<std::string(QWidget* parent)>;

struct TurbineDialogServices {
    NumberFormat numberFormat;
    std::string windUnits; // Program Setup's
    MessageSink& messages;
    OpenFileChooser chooseCsv;
    // Writes the file: 0, or the errno of the failure.
    std::function<int(const TurbineConfig&)> save;
    std::string path; // turbine.cfg, for messages
};

class TurbineDialog : public QDialog {
    Q_OBJECT
public:
    TurbineDialog(TurbineConfig current, TurbineDialogServices services, QWidget* parent = nullptr);

    // What "Save" does: true when saved (the dialog is then accepted).
    bool save();
    // What "Read CSV..." does.
    void readCsv();

    // The configuration saved last (the one given until then).
    const TurbineConfig& config() const { return config_; }

    QLineEdit* loadAmps() const { return loadAmps_; }
    QLineEdit* idleAmps() const { return idleAmps_; }
    QTableWidget* curveTable() const { return table_; }
    QComboBox* csvUnit() const { return csvUnit_; }

private:
    void setRows(const std::vector<CurvePoint>& points);
    void addRow();
    QString numberText(double value) const;

    TurbineConfig config_;
    TurbineDialogServices services_;
    QLineEdit* loadAmps_ = nullptr;
    QLineEdit* idleAmps_ = nullptr;
    QTableWidget* table_ = nullptr;
    QComboBox* csvUnit_ = nullptr;
};

} // namespace korvane
