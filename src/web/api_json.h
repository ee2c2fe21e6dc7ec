#pragma once
// The JSON replies of the dashboard's API.  Every reply is one object with
// "schema" first; times are ISO 8601 UTC beside the local day key; unknown
// values are null.

#include "live_snapshot.h"
#include "query_params.h"
#include "store/history_store.h"
#include "trends/power_curve.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

inline constexpr int kApiSchema = 1;

// {"schema":1,"seq":..,"has_data":..,"volts":.., ... "version":".."}; `nowUtcMs`
// gives "age_s", the seconds since the last packet (null before one).
std::string liveJson(const LiveSnapshot& s, std::int64_t nowUtcMs);

// The range's minutes (bucketed: `bucketSeconds` 60 when not thinned) as
// rows of the `minutes` view's columns, with "minutes" the count before
// thinning.
std::string minutesJson(DateRange range, const std::vector<MinuteSummary>& rows,
                        std::int64_t bucketSeconds, std::int64_t minutesInRange);

// The range's stored dates as rows of the `days` view, and the energy
// summary of the range (total, daily mean, known and unknown days).
std::string daysJson(DateRange range, const std::vector<DayTotal>& days);

// The bins of the power curve and a thinned scatter of its minutes.
std::string powerCurveJson(DateRange range, double binWidth, const std::vector<CurveBin>& bins,
                           const std::vector<WindPowerPoint>& scatter, std::int64_t minutes,
                           std::string_view windUnits);

// Alarm raises and clears with their unit.
std::string alarmsJson(DateRange range, const std::vector<AlarmEventRow>& events,
                       std::string_view windUnits);

// {"schema":1,"error":"...","parameter":"from"} (no "parameter" when empty).
std::string errorJson(std::string_view message, std::string_view parameter = {});

} // namespace korvane
