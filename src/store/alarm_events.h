#pragma once
// The alarm events read back: what each alarm was when Korvane last
// stopped, so a restart carries the alarms on instead of raising them again.

#include "history_store.h"

#include <vector>

namespace korvane {

// The latest event of each alarm name in the store, in the order they were
// recorded (one row per name).  Empty when `store` is null or cannot be
// read.  Reads every event once: about a millisecond for ten thousand.
std::vector<AlarmEventRow> latestAlarmEvents(HistoryStore* store);

} // namespace korvane
