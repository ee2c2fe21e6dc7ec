// Alarm rules on the live path: the cost each decoded packet adds.

#include "alarms/alarm_rules.h"

#include <array>
#include <benchmark/benchmark.h>

namespace {

using namespace korvane;

AlarmSettings allOn(double holdSeconds) {
    AlarmSettings s;
    s.levels = {{{true, 11.5, 12.0},
                 {true, 14.8, 14.2},
                 {true, 30, 25},
                 {true, 1500, 1200},
                 {true, 25, 20}}};
    s.noDataOn = true;
    s.holdSeconds = holdSeconds;
    return s;
}

// Packets ten a second; `beyond` puts every value past its level, with a
// hold so long that nothing raises: the dearest path that changes nothing.
void run(benchmark::State& state, bool beyond) {
    std::array<Reading, 8> readings{};
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const double d = static_cast<double>(i) * 0.01;
        readings[i] = beyond ? Reading{11.0 - d, 0, 0, 1600 + d, 30 + d, 1}
                             : Reading{12.6 + d, 8 + d, 100, 400 + d, 8 + d, 1};
    }
    LiveTime when;
    when.local = {2026, 3, 14, 14, 0, 0, 0};
    when.utcMs = 1773496800000;
    AlarmEngine engine(allOn(beyond ? 1e6 : 10), when.utcMs);
    std::size_t i = 0;
    for (auto _ : state) {
        when.utcMs += 100;
        const AlarmChanges changes = engine.packet(readings[i++ & 7], when);
        benchmark::DoNotOptimize(changes.count);
    }
    state.SetItemsProcessed(state.iterations());
}

void AlarmsPerPacketAllSafe(benchmark::State& state) {
    run(state, false);
}
BENCHMARK(AlarmsPerPacketAllSafe);

void AlarmsPerPacketAllHolding(benchmark::State& state) {
    run(state, true);
}
BENCHMARK(AlarmsPerPacketAllHolding);

} // namespace

BENCHMARK_MAIN();
