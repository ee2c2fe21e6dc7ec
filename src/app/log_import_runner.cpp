#include "log_import_runner.h"

#include <QProgressDialog>

namespace korvane {

namespace {

// Progress in thousandths, so a few years of logs still move the bar.
constexpr int kSteps = 1000;
// A store locked by another program is waited for this many turns of the
// timer (a quarter of a second each) before the import gives up until the
// next start.
constexpr int kMaxBusyTurns = 40;

} // namespace

LogImportRunner::LogImportRunner(const std::string& dbPath, const std::string& appFolder, int today,
                                 NumberFormat fmt, QWidget* owner)
    : dbPath_(dbPath), appFolder_(appFolder), today_(today), fmt_(fmt) {
    if (!openStore() || importer_->finished()) {
        finish();
        return;
    }
    dialog_ = new QProgressDialog(QStringLiteral("Bringing the earlier daily logs into the "
                                                 "history store..."),
                                  QStringLiteral("Cancel"), 0, kSteps, owner);
    dialog_->setObjectName(QStringLiteral("ImportProgress"));
    dialog_->setWindowTitle(QStringLiteral("Korvane"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(400);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setValue(0);
    connect(dialog_, &QProgressDialog::canceled, this, [this] {
        if (importer_)
            importer_->cancel();
        finish();
    });
    connect(&timer_, &QTimer::timeout, this, &LogImportRunner::step);
    timer_.start(0);
}

LogImportRunner::~LogImportRunner() {
    if (dialog_)
        dialog_->deleteLater();
}

bool LogImportRunner::openStore() {
    importer_.reset();
    store_.reset();
    auto opened = HistoryStore::open(dbPath_, today_, HistoryStore::OpenCheck::Quick);
    if (!opened.store) {
        problem_ = "History store: logs not imported: " + opened.result.text;
        return false;
    }
    store_ = std::move(opened.store);
    // Each file's commit carries its own mark of being imported, so a power
    // cut that undoes the last few commits costs nothing but their redoing;
    // not syncing each one made the import about a quarter faster on a busy
    // disk.
    store_->setCommitsSynced(false);
    importer_ = std::make_unique<LogImporter>(*store_, appFolder_, fmt_, today_);
    return true;
}

void LogImportRunner::step() {
    // A modal progress dialog runs the event loop inside setValue(), where
    // this timer may fire again: one step at a time.
    if (finished_ || stepping_)
        return;
    stepping_ = true;
    advance();
    stepping_ = false;
}

void LogImportRunner::advance() {
    // The recorder set the store aside: the rest goes into the new one.
    if (store_->movedAway() && !openStore()) {
        finish();
        return;
    }
    switch (importer_->step()) {
    case ImportStep::Imported:
        busyTurns_ = 0;
        timer_.setInterval(0);
        break;
    case ImportStep::Skipped:
        problem_ = importer_->problem();
        break;
    case ImportStep::Busy:
        timer_.setInterval(250);
        if (++busyTurns_ > kMaxBusyTurns) {
            problem_ = "History store: logs not imported (the store is in use); they will be "
                       "at the next start";
            finish();
            return;
        }
        break;
    case ImportStep::Failed:
        problem_ = "History store: logs not imported: " + importer_->problem();
        finish();
        return;
    case ImportStep::Finished:
        finish();
        return;
    }
    const ImportProgress& p = importer_->progress();
    const double share = p.bytesTotal > 0
                             ? static_cast<double>(p.bytesDone) / static_cast<double>(p.bytesTotal)
                             : 0.0;
    if (importer_->finished()) {
        finish();
        return;
    }
    dialog_->setLabelText(QString("Bringing the earlier daily logs into the history store: "
                                  "%1 of %2 files")
                              .arg(p.filesDone)
                              .arg(p.filesTotal));
    dialog_->setValue(static_cast<int>(share * kSteps));
}

void LogImportRunner::finish() {
    if (finished_)
        return;
    finished_ = true;
    if (importer_ && !importer_->ignored().empty())
        problem_ = problem_.empty() ? importer_->ignored() : problem_ + "; " + importer_->ignored();
    timer_.stop();
    if (dialog_) {
        dialog_->hide();
        dialog_->deleteLater();
        dialog_ = nullptr;
    }
    emit done();
}

} // namespace korvane
