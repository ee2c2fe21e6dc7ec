#pragma once
// Brings the daily logs written before the history store existed into it,
// one file per turn of the event loop, so packets, logging and energy go on
// meanwhile.  A cancelled or interrupted import resumes at the next start; no
// file is imported twice.  Should the recorder set a damaged store aside
// meanwhile, the import goes on in the new one.  Qt Core only: the window
// shows its progress in a dialog, the service just lets it run.

#include "platform/numbers.h"
#include "store/history_store.h"
#include "store/log_importer.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

namespace korvane {

class LogImport final : public QObject {
    Q_OBJECT
public:
    // Starts importing into the store at `dbPath` (a connection of its own,
    // so the live minutes never wait for it) when there is anything to do;
    // otherwise finishes at once, before returning.  `today` is the local
    // date (yyyymmdd): logs dated after tomorrow are left for a start with
    // the clock right.
    LogImport(const std::string& dbPath, const std::string& appFolder, int today, NumberFormat fmt,
              QObject* parent = nullptr);
    ~LogImport() override;

    bool finished() const { return finished_; }
    // Stops after the file being imported; the rest waits for the next start.
    void cancel();
    // What went wrong, if anything (a file that could not be read, a store
    // that could not be written, logs left alone for their date); empty
    // when all went well.
    const std::string& problem() const { return problem_; }

signals:
    // After each file: how far it got, in thousandths of the bytes to read.
    void progressed(int filesDone, int filesTotal, int thousandths);
    void done();

private:
    void step();
    void advance();
    void finish();
    bool openStore();

    std::unique_ptr<HistoryStore> store_;
    std::unique_ptr<LogImporter> importer_;
    QTimer timer_;
    std::string dbPath_;
    std::string appFolder_;
    int today_ = 0;
    NumberFormat fmt_;
    int busyTurns_ = 0;
    bool finished_ = false;
    bool stepping_ = false;
    std::string problem_;
};

} // namespace korvane
