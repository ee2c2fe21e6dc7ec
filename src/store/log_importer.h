#pragma once
// Brings the daily logs written before the store existed into it, one file
// per step so a window can show progress and cancel between steps.
//
// Imported: every <app>/logs/<day key>.txt ("2026_12_8.txt") not imported
// yet whose date has no minutes in the store (those days are the store's
// own), whatever the date the store was created: what is imported follows
// the files present, so a first start under a wrong clock bakes nothing in.
// Logs dated before 2000-01-01 or more than a day after `today` are left
// alone and named in ignored(): such a date comes from a clock that was not
// set, and the next start with the clock right imports them.  Each file is
// read with the history reader's line rules (lines without a valid <T> time
// are skipped, a missing or bad value reads as 0) and written in one
// transaction together with the mark that it was imported, so a killed or
// cancelled import resumes at the next start with the next file and no file
// is ever imported twice.

#include "history_store.h"
#include "platform/numbers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

struct ImportProgress {
    std::size_t filesDone = 0;
    std::size_t filesTotal = 0;
    std::int64_t bytesDone = 0;
    std::int64_t bytesTotal = 0;
};

enum class ImportStep {
    Imported, // one more file is in the store
    Skipped,  // one file could not be read; problem() names it, the next start retries it
    Busy,     // the store is locked: call step() again later, nothing was lost
    Failed,   // the store cannot be written; problem() says why; stop
    Finished, // nothing left (or cancelled)
};

class LogImporter {
public:
    // Lists the files to import.  `fmt` is the decimal separator the logs
    // were written with; `today` the local date now (yyyymmdd).
    LogImporter(HistoryStore& store, const std::string& appFolder, NumberFormat fmt, int today);
    static constexpr int kEarliestDate = 20000101;

    // Imports the next file (in date order) in one transaction.
    ImportStep step();
    // Stops: step() then reports Finished.  Files already imported stay.
    void cancel() { cancelled_ = true; }

    bool finished() const { return cancelled_ || next_ >= files_.size(); }
    const ImportProgress& progress() const { return progress_; }
    // The last thing that went wrong, naming the file; empty when none.
    const std::string& problem() const { return problem_; }
    // Names the logs left alone for their date; empty when none.
    const std::string& ignored() const { return ignored_; }

private:
    struct File {
        int date = 0;
        std::string name; // "2026_12_8.txt"
        std::string path;
        std::int64_t bytes = 0;
    };

    HistoryStore& store_;
    NumberFormat fmt_;
    std::vector<File> files_;
    std::size_t next_ = 0;
    bool cancelled_ = false;
    ImportProgress progress_;
    std::string problem_;
    std::string ignored_;
};

// The records of one log's text, in file order, read with the history
// reader's rules.
std::vector<LogRecordRow> readLogRecords(std::string_view text, const NumberFormat& fmt);

} // namespace korvane
