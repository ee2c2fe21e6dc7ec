#pragma once
// The history window's way into the history store (plain C++; it lives
// beside the window because the history logic sits below the store).

#include "history/stored_day.h"

#include <optional>
#include <string>
#include <vector>

namespace korvane {

// The minutes with packets that `<appFolder>/korvane.db` holds for the
// local date, in the order they were recorded.  Nothing when there is no
// store (none is created) or it cannot be read.
std::optional<std::vector<StoredMinute>> readStoredDay(const std::string& appFolder, int year,
                                                       int month, int day);

} // namespace korvane
