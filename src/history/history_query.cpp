#include "history_query.h"

#include "config/tag_value.h"

#include "platform/files.h"
#include "recording/log_record.h"

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

double numberOrZero(const LetterTags& tags, char tag, const NumberFormat& fmt) {
    const auto t = tags.field(tag);
    return t ? parseNumber(*t, fmt).value_or(0.0) : 0.0;
}

} // namespace

std::string_view nextLogLine(std::string_view text, std::size_t& from) {
    const auto end = text.find("\r\n", from);
    const std::string_view line =
        text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from);
    from = end == std::string_view::npos ? text.size() + 1 : end + 2;
    return line;
}

LoadResult loadRecords(std::string_view fileText, const QueryRange& range, const NumberFormat& fmt,
                       HistoryBuffer& buffer) {
    const int start = range.start.minutesSinceMidnight();
    const int finish = range.finish.minutesSinceMidnight();
    int count = 0;
    for (std::size_t from = 0; from <= fileText.size();) {
        const std::string_view line = nextLogLine(fileText, from);

        const LetterTags tags(line, "TVIRWSM");
        const auto timeText = tags.field('T');
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
        buffer.Volts[k] = numberOrZero(tags, 'V', fmt);
        buffer.Amps[k] = numberOrZero(tags, 'I', fmt);
        buffer.Rpm[k] = numberOrZero(tags, 'R', fmt);
        buffer.Watts[k] = numberOrZero(tags, 'W', fmt);
        buffer.WindSpeed[k] = numberOrZero(tags, 'S', fmt);
        const auto mode = tags.field('M');
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
