#pragma once
// What every Trends tab draws from: the reader, the range, today's date,
// the user's number, date and wind-unit conventions, and turbine.cfg.

#include "platform/numbers.h"
#include "platform/time_formats.h"
#include "trends/date_range.h"
#include "trends/trends_reader.h"
#include "trends/turbine_config.h"

#include <QString>
#include <string>

namespace korvane {

struct TabContext {
    TrendsReader& reader;
    DateRange range;
    NumberFormat numberFormat;
    const TimeFormats& timeFormats;
    std::string windUnits;
    int today = 0;          // yyyymmdd: the date still under way
    std::string digitGroup; // the locale's separator between digit groups, 8-bit
    const TurbineConfig& turbineConfig;
    const TurbineSettings& turbine;
};

// "No data from 1/12/2026 to 7/12/2026."
QString noDataText(const TabContext& c);

} // namespace korvane
