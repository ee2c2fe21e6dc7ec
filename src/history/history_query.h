#pragma once
// The log history query: checks the typed date and times, reads the day's
// log and loads the records inside the time range into a HistoryBuffer.

#include "history_buffer.h"
#include "platform/numbers.h"
#include "time_of_day.h"

#include <string>
#include <string_view>

namespace korvane {

// The seven query fields exactly as the user typed them.
struct QueryFields {
    std::string year;                     // DateY1
    std::string month;                    // DateM1
    std::string day;                      // DateD1
    std::string startHour, startMinute;   // Time1h, Time1m
    std::string finishHour, finishMinute; // Time2h, Time2m
};

enum class QueryOutcome {
    Loaded,        // 1 to 9,999 records are in slots 1..count
    BadStartTime,  // nothing was read or written
    BadFinishTime, // nothing was read or written
    BadDate,       // nothing was read or written
    NoData,        // no record inside the range (or no readable file)
    TooManyRecords // a 10,000th record was reached; slots 1..9999 hold this query's first records
};

// The message a user sees for an outcome; empty for Loaded.
std::string queryMessage(QueryOutcome outcome);

struct QueryRange {
    TimeOfDay start;  // RangeStart
    TimeOfDay finish; // RangeFinish
};

struct CheckedQuery {
    QueryOutcome outcome = QueryOutcome::Loaded; // Loaded means "valid"
    QueryRange range;
};

// The three input tests, in the order start time, finish time, date.
CheckedQuery checkQueryFields(const QueryFields& fields);

// "<app>/logs/<year>_<month>_<day>.txt" from the fields as typed: "01" as a
// month names a different file than "1".  Only call it on checked fields,
// whose date texts are digits, so the name cannot leave the logs folder.
std::string queryLogPath(const std::string& appFolder, const QueryFields& fields);

// The line of a daily log that starts at `from`, without its CR LF, and
// `from` moved past it.  Only CR LF ends a line, as the log writer writes
// it; a lone LF or CR stays inside the line.  Lines remain while `from` is
// at most text.size().
std::string_view nextLogLine(std::string_view text, std::size_t& from);

struct LoadResult {
    QueryOutcome outcome = QueryOutcome::NoData; // Loaded, NoData or TooManyRecords
    int recordCount = 0;                         // records stored (at most 9,999)
};

// Splits `fileText` at CR LF and stores, in file order from slot 1, every
// line whose "<T>" time lies strictly between the range's start and finish.
// Lines without a valid time are skipped.  Each value is its tag's text read
// as a number with `fmt`, or 0 when the tag pair is missing, reversed
// (closing tag first) or not numeric; "<M>" is converted to 16 bits with
// halves to even.  Watts come from "<W>" only, never from volts x amps.
// Slots above the new count are left as they were.
LoadResult loadRecords(std::string_view fileText, const QueryRange& range, const NumberFormat& fmt,
                       HistoryBuffer& buffer);

struct QueryResult {
    QueryOutcome outcome = QueryOutcome::NoData;
    QueryRange range;    // valid unless the outcome is one of the Bad* ones
    int recordCount = 0; // records stored in the buffer
};

// The whole "Display" query.  After the checks it appends one empty line
// (CR LF) to the day's log, creating the file when it is missing but never
// the logs folder, then reads the file back and loads it.  A failed append or
// read ends as NoData.  The buffer is untouched when a check fails.
QueryResult runHistoryQuery(const std::string& appFolder, const QueryFields& fields,
                            const NumberFormat& fmt, HistoryBuffer& buffer);

} // namespace korvane
