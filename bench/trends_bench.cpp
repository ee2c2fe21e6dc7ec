// The Trends window over a year of simulated minutes: opening it and
// drawing its first tab, drawing each tab after a change of range, and
// rebinning the power curve.  Each figure includes painting the window.

#include "config/program_config.h"
#include "platform/files.h"
#include "simulated_store.h"
#include "trends/power_curve.h"
#include "trends/trends_reader.h"
#include "trends/ui/power_curve_tab.h"
#include "trends/ui/trends_window.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QTabWidget>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

using namespace korvane;
namespace fs = std::filesystem;

constexpr DateRange kYear{20260101, 20261231};

// An app folder holding a year's store; with KORVANE_TRENDS_BENCH_DIR set
// that folder is used and kept, so the year is generated only once.
const std::string& yearFolder() {
    static const std::string folder = [] {
        fs::path dir;
        if (const char* kept = std::getenv("KORVANE_TRENDS_BENCH_DIR")) {
            dir = kept;
        } else {
            dir =
                fs::temp_directory_path() / ("korvane-trends-bench-" + std::to_string(::getpid()));
            std::atexit([] { fs::remove_all(yearFolder()); });
        }
        fs::create_directories(dir);
        if (!fs::exists(dir / "korvane.db"))
            sim::writeSimulatedStore((dir / "korvane.db").string(), {20260101, 365, 7});
        replaceFileAtomically((dir / "prog.cfg").string(),
                              formatProgramConfig(defaultProgramConfig()));
        return dir.string();
    }();
    return folder;
}

struct Services {
    FixedTimeFormats times;
    FakeClock clock{LocalDateTime{2026, 12, 31, 20, 0, 0, 0}};
    RecordingMessageSink messages;
    TrendsServices make() {
        return {yearFolder(), NumberFormat{'.'}, clock, times, messages, {}, {}};
    }
};

void paint(QWidget& w) {
    QApplication::processEvents();
    benchmark::DoNotOptimize(w.grab());
}

// Opening: the store (with its quick check), a year's totals, the Energy
// tab over "This year" on 31 December, painted.
void OpenWindowOnAYear(benchmark::State& state) {
    Services s;
    yearFolder();
    for (auto _ : state) {
        Trends w(s.make());
        w.choosePreset(RangePreset::ThisYear);
        w.resize(900, 580);
        w.show();
        paint(w);
    }
}
BENCHMARK(OpenWindowOnAYear)->Unit(benchmark::kMillisecond);

// A change of range redraws the shown tab; arg = tab.  The two ranges
// alternate so nothing is served from the reader's cache.
void ChangeRangeOnTab(benchmark::State& state) {
    Services s;
    Trends w(s.make());
    w.resize(900, 580);
    w.show();
    w.tabs()->setCurrentIndex(static_cast<int>(state.range(0)));
    bool whole = false;
    for (auto _ : state) {
        whole = !whole;
        w.chooseDates(kYear.from, whole ? kYear.to : 20261230);
        paint(w);
    }
    state.SetLabel(w.tabs()->tabText(static_cast<int>(state.range(0))).toStdString());
}
BENCHMARK(ChangeRangeOnTab)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Switching to a tab not yet drawn for the range (the range read is cached
// by the tab shown before); arg = tab switched to.
void SwitchToTab(benchmark::State& state) {
    Services s;
    Trends w(s.make());
    w.resize(900, 580);
    w.show();
    const int tab = static_cast<int>(state.range(0));
    bool whole = false;
    for (auto _ : state) {
        state.PauseTiming();
        whole = !whole;
        w.tabs()->setCurrentIndex(tab == 0 ? 3 : 0);
        w.chooseDates(kYear.from, whole ? kYear.to : 20261230);
        paint(w);
        state.ResumeTiming();
        w.tabs()->setCurrentIndex(tab);
        paint(w);
    }
    state.SetLabel(w.tabs()->tabText(tab).toStdString());
}
BENCHMARK(SwitchToTab)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void RebinAYear(benchmark::State& state) {
    Services s;
    Trends w(s.make());
    w.resize(900, 580);
    w.show();
    w.chooseDates(kYear.from, kYear.to);
    w.tabs()->setCurrentIndex(Trends::PowerCurvePage);
    QDoubleSpinBox* width = w.powerCurveTab()->binWidth();
    bool wide = false;
    for (auto _ : state) {
        wide = !wide;
        width->setValue(wide ? 0.5 : 1);
        paint(w);
    }
}
BENCHMARK(RebinAYear)->Unit(benchmark::kMillisecond);

// The logic alone: a year's pairs binned, and thinned for the scatter.
void BinAndThinAYear(benchmark::State& state) {
    TrendsReader reader(yearFolder());
    const auto* points = reader.points(kYear);
    for (auto _ : state) {
        benchmark::DoNotOptimize(binPowerCurve(*points, 1));
        benchmark::DoNotOptimize(thinScatter(*points, 500, 350));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(points->size()));
}
BENCHMARK(BinAndThinAYear)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
