#pragma once
// What every Trends tab draws from: the reader, the range and the user's
// number, date and wind-unit conventions.

#include "platform/numbers.h"
#include "platform/time_formats.h"
#include "trends/date_range.h"
#include "trends/trends_reader.h"

#include <QString>
#include <string>

namespace korvane {

struct TabContext {
    TrendsReader& reader;
    DateRange range;
    NumberFormat numberFormat;
    const TimeFormats& timeFormats;
    std::string windUnits;
};

// "No data from 1/12/2026 to 7/12/2026."
QString noDataText(const TabContext& c);

} // namespace korvane
