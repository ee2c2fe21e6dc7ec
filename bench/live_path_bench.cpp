// Live path: framing and decoding packets as they come off the serial line.

#include "monitor/packet_decoder.h"
#include "monitor/packet_framer.h"

#include <benchmark/benchmark.h>

namespace {

using namespace korvane;

void FrameAndDecode(benchmark::State& state) {
    const auto cal = toCalibration(defaultCalibrationConfig(), NumberFormat{});
    const std::string packet = "[<V>512</V><I>130</I><R>42</R><M>1</M><S>17</S>]";
    // A realistic read carries one packet or a few; take 20 per read.
    std::string read;
    for (int i = 0; i < 20; ++i)
        read += packet;
    PacketFramer framer;
    Reading reading;
    for (auto _ : state) {
        framer.append(read);
        while (auto p = framer.next())
            reading = decodePacket(*p, cal, NumberFormat{}, reading);
        benchmark::DoNotOptimize(reading);
    }
    state.SetItemsProcessed(state.iterations() * 20);
    state.counters["packets/s"] = benchmark::Counter(static_cast<double>(state.iterations() * 20),
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(FrameAndDecode);

} // namespace

BENCHMARK_MAIN();
