#include "history_query.h"

#include "platform/files.h"
#include "recording/log_record.h"

#include <array>

namespace korvane {

std::string queryMessage(QueryOutcome outcome) {
    switch (outcome) {
    case QueryOutcome::Loaded:
        return {};
    case QueryOutcome::BadStartTime:
        return "Bad time format for start time";
    case QueryOutcome::BadFinishTime:
        return "Bad time format for finish time";
    case QueryOutcome::BadDate:
        return "Bad date format for record date";
    case QueryOutcome::NoData:
        return "No data for that date";
    case QueryOutcome::TooManyRecords:
        return "Over 10,000 records, too many to display. Please use a smaller time range. If you "
               "set you logging interval to 10 seconds or more, you wont have this problem in the "
               "future. ";
    }
    return {};
}

CheckedQuery checkQueryFields(const QueryFields& fields) {
    CheckedQuery checked;
    const auto start = parseTimeOfDay(fields.startHour + ":" + fields.startMinute);
    if (!start) {
        checked.outcome = QueryOutcome::BadStartTime;
        return checked;
    }
    const auto finish = parseTimeOfDay(fields.finishHour + ":" + fields.finishMinute);
    if (!finish) {
        checked.outcome = QueryOutcome::BadFinishTime;
        return checked;
    }
    if (!parseDayFirstDate(fields.day + "/" + fields.month + "/" + fields.year)) {
        checked.outcome = QueryOutcome::BadDate;
        return checked;
    }
    checked.range = {*start, *finish};
    return checked;
}

std::string queryLogPath(const std::string& appFolder, const QueryFields& fields) {
    return logFilePath(appFolder, fields.year + "_" + fields.month + "_" + fields.day);
}

namespace {

// The first "<X>" and the first "</X>" of each record tag in one line,
// found in a single pass over its "<" characters.  The texts are those that
// searching each tag from the start of the line gives (taggedText), at a
// fraction of the cost on a day of 10,000 lines.
class LineTags {
public:
    explicit LineTags(std::string_view line) : line_(line) {
        open_.fill(std::string_view::npos);
        close_.fill(std::string_view::npos);
        const std::size_t n = line.size();
        for (auto i = line.find('<'); i != std::string_view::npos; i = line.find('<', i + 1)) {
            if (i + 2 < n && line[i + 2] == '>') {
                if (const int t = index(line[i + 1]); t >= 0 && open_[t] == std::string_view::npos)
                    open_[t] = i;
            } else if (i + 3 < n && line[i + 1] == '/' && line[i + 3] == '>') {
                if (const int t = index(line[i + 2]); t >= 0 && close_[t] == std::string_view::npos)
                    close_[t] = i;
            }
        }
    }

    // Absent when either tag is missing or the closing one comes first.
    std::optional<std::string_view> text(char tag) const {
        const int t = index(tag);
        const auto o = open_[t];
        const auto c = close_[t];
        if (o == std::string_view::npos || c == std::string_view::npos || c < o + 3)
            return std::nullopt;
        return line_.substr(o + 3, c - o - 3);
    }

    double numberOrZero(char tag, const NumberFormat& fmt) const {
        const auto t = text(tag);
        return t ? parseNumber(*t, fmt).value_or(0.0) : 0.0;
    }

private:
    static int index(char tag) {
        switch (tag) {
        case 'V':
            return 0;
        case 'I':
            return 1;
        case 'W':
            return 2;
        case 'R':
            return 3;
        case 'S':
            return 4;
        case 'M':
            return 5;
        case 'T':
            return 6;
        default:
            return -1;
        }
    }

    std::string_view line_;
    std::array<std::size_t, 7> open_{};
    std::array<std::size_t, 7> close_{};
};

} // namespace

LoadResult loadRecords(std::string_view fileText, const QueryRange& range, const NumberFormat& fmt,
                       HistoryBuffer& buffer) {
    const int start = range.start.minutesSinceMidnight();
    const int finish = range.finish.minutesSinceMidnight();
    int count = 0;
    std::size_t from = 0;
    while (from <= fileText.size()) {
        // Only CR LF ends a line, as the log writer writes it; a lone LF or
        // CR stays inside the line.
        const auto end = fileText.find("\r\n", from);
        const std::string_view line = fileText.substr(
            from, end == std::string_view::npos ? std::string_view::npos : end - from);
        from = end == std::string_view::npos ? fileText.size() + 1 : end + 2;

        const LineTags tags(line);
        const auto timeText = tags.text('T');
        if (!timeText)
            continue;
        const auto time = parseTimeOfDay(*timeText);
        if (!time)
            continue;
        const int minutes = time->minutesSinceMidnight();
        if (minutes <= start || minutes >= finish)
            continue;
        if (count == HistoryBuffer::kMaxRecords)
            return {QueryOutcome::TooManyRecords, count};
        const int k = ++count;
        buffer.Time[k] = time->dayFraction();
        buffer.Volts[k] = tags.numberOrZero('V', fmt);
        buffer.Amps[k] = tags.numberOrZero('I', fmt);
        buffer.Rpm[k] = tags.numberOrZero('R', fmt);
        buffer.Watts[k] = tags.numberOrZero('W', fmt);
        buffer.WindSpeed[k] = tags.numberOrZero('S', fmt);
        const auto mode = tags.text('M');
        const auto modeNumber = mode ? parseNumber(*mode, fmt) : std::nullopt;
        buffer.Mode[k] = modeNumber ? toInt16(*modeNumber) : std::int16_t{0};
    }
    return {count == 0 ? QueryOutcome::NoData : QueryOutcome::Loaded, count};
}

QueryResult runHistoryQuery(const std::string& appFolder, const QueryFields& fields,
                            const NumberFormat& fmt, HistoryBuffer& buffer) {
    const CheckedQuery checked = checkQueryFields(fields);
    if (checked.outcome != QueryOutcome::Loaded)
        return {checked.outcome, {}, 0};

    const std::string path = queryLogPath(appFolder, fields);
    // A failed append is not reported on its own: the read below then finds
    // no file, and the user hears "No data for that date".
    appendToFile(path, "\r\n");
    const auto text = readWholeFile(path);
    if (!text)
        return {QueryOutcome::NoData, checked.range, 0};
    const LoadResult loaded = loadRecords(*text, checked.range, fmt, buffer);
    return {loaded.outcome, checked.range, loaded.recordCount};
}

} // namespace korvane
