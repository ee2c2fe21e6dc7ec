#include "log_importer.h"

#include "day_date.h"
#include "history/history_buffer.h"
#include "history/history_query.h"
#include "platform/files.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>

namespace korvane {

namespace {

// The history reader keeps at most 9,999 records per query, so a log is
// fed to it in pieces of whole lines below that limit.
constexpr std::size_t kLinesPerPiece = 9000;

// A range wider than any day: loadRecords keeps times strictly inside it,
// so 00:00 and 23:59 records are kept too.
const QueryRange kAnyTime{{0, -1}, {24, 0}};

} // namespace

std::vector<LogRecordRow> readLogRecords(std::string_view text, const NumberFormat& fmt) {
    std::vector<LogRecordRow> out;
    const auto buffer = std::make_unique<HistoryBuffer>();
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = from;
        for (std::size_t lines = 0; lines < kLinesPerPiece && end < text.size(); ++lines) {
            const std::size_t crlf = text.find("\r\n", end);
            end = crlf == std::string_view::npos ? text.size() : crlf + 2;
        }
        const LoadResult loaded =
            loadRecords(text.substr(from, end - from), kAnyTime, fmt, *buffer);
        for (int k = 1; k <= loaded.recordCount; ++k) {
            const auto i = static_cast<std::size_t>(k);
            const auto minute = static_cast<int>(std::lround(buffer->Time[i] * 1440.0));
            out.push_back({minute, buffer->Volts[i], buffer->Amps[i], buffer->Watts[i],
                           buffer->Rpm[i], buffer->WindSpeed[i], buffer->Mode[i]});
        }
        from = end;
    }
    return out;
}

LogImporter::LogImporter(HistoryStore& store, const std::string& appFolder, NumberFormat fmt,
                         int today)
    : store_(store), fmt_(fmt) {
    const auto done = store_.importedLogDates();
    const auto own = done ? store_.datesWithMinutes() : std::nullopt;
    if (!done || !own) {
        problem_ =
            "Cannot read the history store " + store_.path() + " (" + store_.lastError().text + ")";
        cancelled_ = true;
        return;
    }
    std::set<int> skip(done->begin(), done->end());
    skip.insert(own->begin(), own->end());
    const int latest = today > 0 ? addDays(today, 1) : 0;
    std::vector<std::string> outOfRange;
    std::error_code ec;
    const std::filesystem::path logs = std::filesystem::path(appFolder) / "logs";
    for (std::filesystem::directory_iterator it(logs, ec), last; !ec && it != last;
         it.increment(ec)) {
        const auto& p = it->path();
        if (p.extension() != ".txt")
            continue;
        const int date = dateOfDayKey(p.stem().string());
        if (date == 0 || skip.count(date) != 0)
            continue;
        if (date < kEarliestDate || date > latest) {
            outOfRange.push_back(p.filename().string());
            continue;
        }
        std::error_code sizeError;
        const auto bytes = std::filesystem::file_size(p, sizeError);
        if (sizeError)
            continue;
        files_.push_back(
            {date, p.filename().string(), p.string(), static_cast<std::int64_t>(bytes)});
    }
    std::sort(files_.begin(), files_.end(),
              [](const File& a, const File& b) { return a.date < b.date; });
    progress_.filesTotal = files_.size();
    for (const File& f : files_)
        progress_.bytesTotal += f.bytes;
    if (!outOfRange.empty()) {
        std::sort(outOfRange.begin(), outOfRange.end());
        constexpr std::size_t kNamed = 3;
        ignored_ = "Logs dated before 2000 or after tomorrow not imported (is the clock right?): ";
        for (std::size_t i = 0; i < outOfRange.size() && i < kNamed; ++i)
            ignored_ += (i > 0 ? ", " : "") + outOfRange[i];
        if (outOfRange.size() > kNamed)
            ignored_ += " and " + std::to_string(outOfRange.size() - kNamed) + " more";
    }
}

ImportStep LogImporter::step() {
    if (finished())
        return ImportStep::Finished;
    const File& file = files_[next_];
    const auto advance = [&] {
        ++next_;
        ++progress_.filesDone;
        progress_.bytesDone += file.bytes;
    };
    const auto text = readWholeFile(file.path);
    if (!text) {
        problem_ = "Cannot read " + file.path + "; it will be imported at the next start";
        advance();
        return ImportStep::Skipped;
    }
    const std::vector<LogRecordRow> records = readLogRecords(*text, fmt_);
    const StoreResult result =
        store_.importLog(file.date, file.name, static_cast<std::int64_t>(text->size()), records);
    if (result.status == StoreStatus::Busy) {
        problem_ = "History store " + store_.path() + " is locked by another program; waiting";
        return ImportStep::Busy;
    }
    if (!result.ok()) {
        problem_ =
            "Cannot import " + file.name + " into " + store_.path() + " (" + result.text + ")";
        cancelled_ = true;
        return ImportStep::Failed;
    }
    advance();
    return ImportStep::Imported;
}

} // namespace korvane
