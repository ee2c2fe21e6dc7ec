#pragma once
// The window's import of earlier daily logs: the station's LogImport under a
// progress dialog with a Cancel button, shown only when the import takes a
// while.

#include "station/log_import.h"

#include <QObject>
#include <string>

class QProgressDialog;
class QWidget;

namespace korvane {

class LogImportRunner final : public QObject {
    Q_OBJECT
public:
    // As LogImport; the dialog shows over `owner`.
    LogImportRunner(const std::string& dbPath, const std::string& appFolder, int today,
                    NumberFormat fmt, QWidget* owner);
    ~LogImportRunner() override;

    bool finished() const { return import_.finished(); }
    const std::string& problem() const { return import_.problem(); }

signals:
    void done();

private:
    void closeDialog();

    LogImport import_;
    QProgressDialog* dialog_ = nullptr;
};

} // namespace korvane
