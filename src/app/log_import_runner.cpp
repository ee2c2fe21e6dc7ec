#include "log_import_runner.h"

#include <QProgressDialog>

namespace korvane {

LogImportRunner::LogImportRunner(const std::string& dbPath, const std::string& appFolder, int today,
                                 NumberFormat fmt, QWidget* owner)
    : import_(dbPath, appFolder, today, fmt) {
    connect(&import_, &LogImport::done, this, [this] {
        closeDialog();
        emit done();
    });
    if (import_.finished())
        return;
    dialog_ = new QProgressDialog(QStringLiteral("Bringing the earlier daily logs into the "
                                                 "history store..."),
                                  QStringLiteral("Cancel"), 0, 1000, owner);
    dialog_->setObjectName(QStringLiteral("ImportProgress"));
    dialog_->setWindowTitle(QStringLiteral("Korvane"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(400);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
    connect(dialog_, &QProgressDialog::canceled, this, [this] { import_.cancel(); });
    connect(&import_, &LogImport::progressed, this, [this](int files, int of, int thousandths) {
        if (!dialog_)
            return;
        dialog_->setLabelText(QString("Bringing the earlier daily logs into the history store: "
                                      "%1 of %2 files")
                                  .arg(files)
                                  .arg(of));
        dialog_->setValue(thousandths);
    });
}

LogImportRunner::~LogImportRunner() {
    if (dialog_)
        dialog_->deleteLater();
}

void LogImportRunner::closeDialog() {
    if (!dialog_)
        return;
    dialog_->hide();
    dialog_->deleteLater();
    dialog_ = nullptr;
}

} // namespace korvane
