#pragma once
// Days of minutes as Korvane would have stored them while the board model
// ran: a packet every 10 s and the energy timer every 5 s, summed up by the
// minute aggregator and committed a day at a time.  For screenshots,
// benchmarks and window tests.

#include "store/history_store.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::sim {

struct SimulatedStore {
    int firstDate = 20260101; // yyyymmdd; the minutes' dates are their UTC dates
    int days = 30;
    std::uint32_t seed = 7;
};

// The minutes, oldest first.
std::vector<MinuteSummary> simulatedMinutes(const SimulatedStore& plan);

// Writes them into the store at `path` (created when missing).
StoreResult writeSimulatedStore(const std::string& path, const SimulatedStore& plan);

} // namespace korvane::sim
