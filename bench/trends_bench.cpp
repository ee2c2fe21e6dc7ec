// The Trends window over a year of simulated minutes: opening it and
// drawing its first tab, drawing each tab after a change of range, and
// rebinning the power curve.  Each window figure includes painting the
// window.  Then the turbine's curve alone: reading a year of minutes, the
// performance index of a year, the curve with a reference year beside it,
// and the 7-day index as the alarms ask for it.

#include "config/program_config.h"
#include "platform/files.h"
#include "simulated_store.h"
#include "trends/performance_index.h"
#include "trends/power_curve.h"
#include "trends/power_curve_view.h"
#include "trends/trends_reader.h"
#include "trends/turbine_store.h"
#include "trends/ui/power_curve_tab.h"
#include "trends/ui/trends_window.h"

#include <QApplication>
#include <QComboBox>
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
constexpr DateRange kReferenceYear{20250101, 20251231};
constexpr const char* kMakerCurve = "3:0 5:12 8:40 10:68 12:92 15:132 18:178 21:222 25:288 "
                                    "30:375 35:450 40:500";

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
        // 2025 is the reference year of the turbine's curve, 2026 the one looked at.
        if (!fs::exists(dir / "korvane.db"))
            sim::writeSimulatedStore((dir / "korvane.db").string(), {20250101, 730, 7});
        TurbineConfig turbine;
        turbine.LoadAmps = "9";
        turbine.IdleAmps = "0.4";
        turbine.MakerCurve = kMakerCurve;
        saveTurbineConfig(dir.string(), turbine);
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
        return {yearFolder(), NumberFormat{'.'}, clock, times, messages, {}, {}, {}};
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
        w.resize(960, 600);
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
    w.resize(960, 600);
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
    w.resize(960, 600);
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
    w.resize(960, 600);
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

// A year of minutes read from the store for the turbine's output.
void ReadAYearOfMinutes(benchmark::State& state) {
    const std::string store = yearFolder() + "/korvane.db";
    std::size_t n = 0;
    for (auto _ : state)
        n = readTurbineMinutes(store, kYear)->size();
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
}
BENCHMARK(ReadAYearOfMinutes)->Unit(benchmark::kMillisecond);

struct YearOfMinutes {
    std::vector<TurbineMinute> year, reference;
    TurbineSettings turbine;
    YearOfMinutes() {
        const std::string store = yearFolder() + "/korvane.db";
        year = *readTurbineMinutes(store, kYear);
        reference = *readTurbineMinutes(store, kReferenceYear);
        turbine = turbineSettings(loadTurbineConfig(yearFolder()));
    }
};

// The estimate of every minute of a year and its index against the maker's curve.
void IndexOfAYear(benchmark::State& state) {
    const YearOfMinutes y;
    const Yardstick maker{YardstickKind::Maker, y.turbine.maker};
    for (auto _ : state)
        benchmark::DoNotOptimize(
            indexPercent(indexSums(outputPoints(y.year, y.turbine, MinuteChoice::All), maker)));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(y.year.size()));
}
BENCHMARK(IndexOfAYear)->Unit(benchmark::kMillisecond);

// What the Power curve tab works out for a year beside a reference year:
// both estimated and binned, the maker's means per bin, both indexes.
void CurveWithAReferenceYear(benchmark::State& state) {
    const YearOfMinutes y;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            buildPowerCurveView({y.year, y.reference, &y.turbine, MinuteChoice::All, 1}));
}
BENCHMARK(CurveWithAReferenceYear)->Unit(benchmark::kMillisecond);

// The same in the window, painted: the Minutes choice flipped on a year
// compared with the year before (the minutes are read once, before).
void RedrawCurveWithAReferenceYear(benchmark::State& state) {
    Services s;
    Trends w(s.make());
    w.resize(960, 600);
    w.show();
    w.chooseDates(kYear.from, kYear.to);
    w.tabs()->setCurrentIndex(Trends::PowerCurvePage);
    TurbineConfig compared = w.turbineConfig();
    compared.RefFrom = "2025-01-01";
    compared.RefTo = "2025-12-31";
    w.saveTurbine(compared);
    paint(w);
    QComboBox* choice = w.powerCurveTab()->minutesChoice();
    bool off = false;
    for (auto _ : state) {
        off = !off;
        choice->setCurrentIndex(off ? 1 : 0);
        paint(w);
    }
    TurbineConfig plain = compared;
    plain.RefFrom.clear();
    plain.RefTo.clear();
    w.saveTurbine(plain);
}
BENCHMARK(RedrawCurveWithAReferenceYear)->Unit(benchmark::kMillisecond);

// The alarms' question: the last 7 days from the store, against the maker's curve.
void SevenDayIndex(benchmark::State& state) {
    const std::string store = yearFolder() + "/korvane.db";
    const TurbineConfig turbine = loadTurbineConfig(yearFolder());
    for (auto _ : state)
        benchmark::DoNotOptimize(
            sevenDayOutputIndex(store, turbine, LocalDateTime{2026, 12, 31, 20, 0, 0, 0}));
}
BENCHMARK(SevenDayIndex)->Unit(benchmark::kMillisecond);

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
