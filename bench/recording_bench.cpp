// The cost of making a log record durable: one append with fdatasync, as a
// logging tick does once per interval, against the same append left in the
// page cache.  The bench folder is made beside the build, on the disk the
// app folder would live on (not a tmpfs).

#include "platform/files.h"
#include "recording/log_record.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace korvane;

const std::string kRecord =
    "<V>13.52</V><I>4.1</I><W>55.43</W><R>350.5</R><S>12.3</S><M>1</M><T>14:05</T>\r\n";

std::string benchFolder() {
    std::string tmpl = std::filesystem::current_path().string() + "/recording-bench.XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr)
        std::abort();
    return tmpl;
}

void DurableAppend(benchmark::State& state) {
    const std::string folder = benchFolder();
    const std::string path = folder + "/2026_12_8.txt";
    for (auto _ : state)
        benchmark::DoNotOptimize(appendRecord(path, kRecord));
    std::filesystem::remove_all(folder);
}
BENCHMARK(DurableAppend)->Unit(benchmark::kMicrosecond);

// The baseline: the same open-append-close without the flush to the disk.
void CachedAppend(benchmark::State& state) {
    const std::string folder = benchFolder();
    const std::string path = folder + "/2026_12_8.txt";
    for (auto _ : state)
        benchmark::DoNotOptimize(appendToFile(path, kRecord));
    std::filesystem::remove_all(folder);
}
BENCHMARK(CachedAppend)->Unit(benchmark::kMicrosecond);

// A whole tick's log write through the writer, as the main window makes it.
void LogWriterTick(benchmark::State& state) {
    const std::string folder = benchFolder();
    LogWriter writer(folder);
    for (auto _ : state)
        benchmark::DoNotOptimize(writer.write("2026_12_8", kRecord));
    std::filesystem::remove_all(folder);
}
BENCHMARK(LogWriterTick)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
