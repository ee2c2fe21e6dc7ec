#pragma once
// What an exit could not write into korvane.db, kept beside it until the next
// start that can write the store: "korvane-pending-2026-12-08-143000.jsonl"
// (local time of the exit), one JSON object a line, each a minute, an alarm
// event or a message for the broker:
//   {"kind":"minute","ts":1796740200,"date":20261208,"packets":6,"v_min":12.25,...,"wh":0.5}
//   {"kind":"alarm","ts":1796740212,"name":"Battery low","state":"raised","value":11.42}
//   {"kind":"message","topic":"korvane/site/record","payload":"{...}","qos":1,"retain":false}
// Written with one append and flushed to the disk (fdatasync).  Once its
// contents are in the store the file is renamed "<name>.imported"; it is
// never deleted.

#include "history_store.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The pending file beside `dbPath` for an exit at `utcMs` (UTC ms).
std::string pendingFilePath(const std::string& dbPath, std::int64_t utcMs);

// One line per record, each ending in "\n": minutes, then alarm events, then
// messages, each in their order.  Numbers keep every digit of the double.
std::string pendingLines(const PendingRecords& records);
// The records of a pending file's text.  A line that is not a whole record
// (torn by a power cut, or from a newer program) is skipped and counted in
// `skipped`.
PendingRecords readPendingLines(std::string_view text, std::size_t* skipped = nullptr);

// Appends the records' lines to `path` (created when missing) in one write
// and flushes them to the disk.  0, or the errno of the failure.
int keepPending(const std::string& path, const PendingRecords& records);

// "korvane-pending-*.jsonl" files beside `dbPath` not yet imported, oldest
// first (by name, which holds the time).
std::vector<std::string> pendingFiles(const std::string& dbPath);

struct PendingImport {
    std::size_t files = 0; // files written into the store and renamed
    std::size_t minutes = 0, alarmEvents = 0, messages = 0;
    StoreResult result;    // the first failure; the files from there on wait
    std::string firstName; // the first file written, e.g. "korvane-pending-....jsonl"
};

// Writes every pending file beside the store into it, oldest first, each in
// one transaction with a mark of its name (see HistoryStore::importPending),
// and renames it "<name>.imported".  Stops at the first store failure.
PendingImport importPendingFiles(HistoryStore& store);

// "12 minutes, 1 alarm event and 3 messages"; "nothing" when all are 0.
std::string pendingCountText(std::size_t minutes, std::size_t alarmEvents, std::size_t messages);

} // namespace korvane
