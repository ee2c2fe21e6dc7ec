#include "log_import.h"

namespace korvane {

namespace {

// Progress in thousandths, so a few years of logs still move the bar.
constexpr int kSteps = 1000;
// A store locked by another program is waited for this many turns of the
// timer (a quarter of a second each) before the import gives up until the
// next start.
constexpr int kMaxBusyTurns = 40;

} // namespace

LogImport::LogImport(const std::string& dbPath, const std::string& appFolder, int today,
                     NumberFormat fmt, QObject* parent)
    : QObject(parent), dbPath_(dbPath), appFolder_(appFolder), today_(today), fmt_(fmt) {
    if (!openStore() || importer_->finished()) {
        finish();
        return;
    }
    connect(&timer_, &QTimer::timeout, this, &LogImport::step);
    timer_.start(0);
}

LogImport::~LogImport() = default;

void LogImport::cancel() {
    if (importer_)
        importer_->cancel();
    finish();
}

bool LogImport::openStore() {
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

void LogImport::step() {
    // A modal progress dialog runs the event loop inside setValue(), where
    // this timer may fire again: one step at a time.
    if (finished_ || stepping_)
        return;
    stepping_ = true;
    advance();
    stepping_ = false;
}

void LogImport::advance() {
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
    emit progressed(static_cast<int>(p.filesDone), static_cast<int>(p.filesTotal),
                    static_cast<int>(share * kSteps));
}

void LogImport::finish() {
    if (finished_)
        return;
    finished_ = true;
    if (importer_ && !importer_->ignored().empty())
        problem_ = problem_.empty() ? importer_->ignored() : problem_ + "; " + importer_->ignored();
    timer_.stop();
    emit done();
}

} // namespace korvane
