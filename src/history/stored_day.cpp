#include "stored_day.h"

#include "config/tag_value.h"
#include "history/history_query.h"

namespace korvane {

LoadResult loadStoredMinutes(std::span<const StoredMinute> minutes, const QueryRange& range,
                             HistoryBuffer& buffer) {
    const int start = range.start.minutesSinceMidnight();
    const int finish = range.finish.minutesSinceMidnight();
    int count = 0;
    for (const StoredMinute& m : minutes) {
        if (m.minuteOfDay <= start || m.minuteOfDay >= finish)
            continue;
        // A day has 1,440 minutes, far below the buffer's 9,999 records;
        // the check stays so no input can write past it.
        if (count == HistoryBuffer::kMaxRecords)
            return {QueryOutcome::TooManyRecords, count};
        const int k = ++count;
        buffer.Time[k] = m.minuteOfDay / 1440.0;
        buffer.Volts[k] = m.volts;
        buffer.Amps[k] = m.amps;
        buffer.Watts[k] = m.watts;
        buffer.Rpm[k] = m.rpm;
        buffer.WindSpeed[k] = m.wind;
        buffer.Mode[k] = m.mode;
    }
    return {count == 0 ? QueryOutcome::NoData : QueryOutcome::Loaded, count};
}

bool logHoldsRecords(std::string_view fileText) {
    for (std::size_t from = 0; from <= fileText.size();) {
        const std::string_view line = nextLogLine(fileText, from);
        const auto time = taggedText(line, "<T>", "</T>");
        if (time && parseTimeOfDay(*time))
            return true;
    }
    return false;
}

} // namespace korvane
