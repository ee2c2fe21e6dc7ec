#pragma once
// The minutes the turbine's output is estimated from, read from the
// `minutes` view of korvane.db, and the 7-day performance index that the
// alarms, the publisher and the web dashboard ask for.
//
// Every read opens its own connection and closes it again, so a store set
// aside and replaced (a damaged file renamed) is read afresh, and a file
// that does not exist is never created.

#include "date_range.h"
#include "platform/clock.h"
#include "turbine_config.h"
#include "turbine_output.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

// The minutes with packets from local midnight of range.from to local
// midnight after range.to, oldest first, each with its local date.
// Nothing when the store is missing or cannot be read; `problem`, when
// given, then says why ("Cannot read the history store (...): ...").
std::optional<std::vector<TurbineMinute>>
readTurbineMinutes(const std::string& storePath, DateRange range, std::string* problem = nullptr);

// The performance index (percent) of the 7 local dates ending on now's
// date, against the maker's curve of `turbine`, or without one against the
// curve of its reference period (bins 1 wind unit wide).  Dates with fewer
// than 60 minutes of wind inside that curve are left out.  Nothing when no
// date is left ("not enough wind to say"), when there is no curve to judge
// by, or when the store cannot be read.
std::optional<double> sevenDayOutputIndex(const std::string& storePath,
                                          const TurbineConfig& turbine, const LocalDateTime& now);

// sevenDayOutputIndex over `<appFolder>/korvane.db` with `<appFolder>/
// turbine.cfg` read afresh at every call and now from `clock`, which must
// outlive the function.
std::function<std::optional<double>()> sevenDayOutputIndexSource(std::string appFolder,
                                                                 const Clock& clock);

} // namespace korvane
