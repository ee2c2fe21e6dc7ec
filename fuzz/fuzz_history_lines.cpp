// The history reader over an arbitrary log file: it never reads or writes
// outside the record slots and stores only finite values.

#include "history/history_query.h"

#include <cmath>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const NumberFormat fmt{in.ConsumeBool() ? ',' : '.'};
    const int start = in.ConsumeIntegralInRange<int>(0, 1439);
    const int finish = in.ConsumeIntegralInRange<int>(0, 1439);
    const QueryRange range{TimeOfDay{start / 60, start % 60}, TimeOfDay{finish / 60, finish % 60}};
    const std::string text = in.ConsumeRemainingBytesAsString();
    static HistoryBuffer buffer;
    const LoadResult r = loadRecords(text, range, fmt, buffer);
    if (r.recordCount < 0 || r.recordCount > HistoryBuffer::kMaxRecords)
        std::abort();
    for (int k = 1; k <= r.recordCount; ++k)
        for (double v : {buffer.Volts[k], buffer.Amps[k], buffer.Watts[k], buffer.Rpm[k],
                         buffer.WindSpeed[k], buffer.Time[k]})
            if (!std::isfinite(v))
                std::abort();
    return 0;
}
