// History window: a 9,999-record day through the query, the plot model and
// the table model, beside the bare cost of reading the file and counting its
// lines; and one paint of the full plot.

#include "history/history_query.h"
#include "history/plot_model.h"
#include "history/ui/history_plot.h"
#include "history/ui/record_table_model.h"
#include "platform/files.h"
#include "recording/log_record.h"
#include "simulated_day.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace {

using namespace korvane;

const NumberFormat kPoint{'.'};
const FixedTimeFormats kTimes;

// A fresh app folder holding logs/2006_7_4.txt with 9,999 records, one every
// 8 seconds from 00:01, all inside the whole-day range.
class FullDay {
public:
    FullDay() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvane-bench-XXXXXX");
        folder_ = ::mkdtemp(pattern.data());
        ensureDirectory(folder_ + "/logs");
        replaceFileAtomically(path(),
                              simulatedDayLog({60, 8, HistoryBuffer::kMaxRecords, 3}, kPoint));
    }
    ~FullDay() { std::filesystem::remove_all(folder_); }
    const std::string& folder() const { return folder_; }
    std::string path() const { return logFilePath(folder_, "2006_7_4"); }

private:
    std::string folder_;
};

const QueryFields kWholeDay{"2006", "7", "4", "00", "00", "23", "59"};
const SeriesSwitches kAllSeries{true, true, true, true, true, true};

void ReadFileAndCountLines(benchmark::State& state) {
    FullDay day;
    for (auto _ : state) {
        const auto text = readWholeFile(day.path());
        std::size_t lines = 0;
        for (std::size_t at = text->find("\r\n"); at != std::string::npos;
             at = text->find("\r\n", at + 2))
            ++lines;
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(ReadFileAndCountLines)->Unit(benchmark::kMillisecond);

void QueryPlotModelAndTable(benchmark::State& state) {
    FullDay day;
    HistoryBuffer buffer;
    RecordTableModel table;
    const HistoryTextForms forms{kPoint, &kTimes, "km/h"};
    int records = 0;
    for (auto _ : state) {
        const QueryResult result = runHistoryQuery(day.folder(), kWholeDay, kPoint, buffer);
        records = result.recordCount;
        PlotModel model =
            buildPlotModel(buffer, {1.0, static_cast<double>(records)}, kAllSeries, forms);
        table.setRows(std::move(model.rows), forms);
        // The cells a freshly shown table asks for.
        for (int row = 0; row < 30; ++row)
            for (int column = 1; column < RecordTableModel::kColumns; ++column)
                benchmark::DoNotOptimize(table.data(table.index(row, column)));
        benchmark::DoNotOptimize(model.drawing.traces.data());
    }
    if (records != HistoryBuffer::kMaxRecords)
        state.SkipWithError("the day did not load whole");
    state.counters["records"] = records;
}
BENCHMARK(QueryPlotModelAndTable)->Unit(benchmark::kMillisecond);

void QueryOnly(benchmark::State& state) {
    FullDay day;
    HistoryBuffer buffer;
    for (auto _ : state)
        benchmark::DoNotOptimize(runHistoryQuery(day.folder(), kWholeDay, kPoint, buffer));
}
BENCHMARK(QueryOnly)->Unit(benchmark::kMillisecond);

void PlotModelOnly(benchmark::State& state) {
    FullDay day;
    HistoryBuffer buffer;
    const HistoryTextForms forms{kPoint, &kTimes, "km/h"};
    const QueryResult result = runHistoryQuery(day.folder(), kWholeDay, kPoint, buffer);
    for (auto _ : state)
        benchmark::DoNotOptimize(buildPlotModel(
            buffer, {1.0, static_cast<double>(result.recordCount)}, kAllSeries, forms));
}
BENCHMARK(PlotModelOnly)->Unit(benchmark::kMillisecond);

void PaintFullPlot(benchmark::State& state) {
    FullDay day;
    HistoryBuffer buffer;
    const HistoryTextForms forms{kPoint, &kTimes, "km/h"};
    const QueryResult result = runHistoryQuery(day.folder(), kWholeDay, kPoint, buffer);
    const PlotModel model =
        buildPlotModel(buffer, {1.0, static_cast<double>(result.recordCount)}, kAllSeries, forms);
    QImage image(700, 350, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        paintPlot(painter, image.size(), model.drawing);
    }
    state.counters["bands"] = static_cast<double>(model.drawing.bands.size());
}
BENCHMARK(PaintFullPlot)->Unit(benchmark::kMillisecond);

// The console report, plus the figure that matters: how many times the time
// to merely read the file and count its lines the whole history path takes.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                cpuMs_[run.benchmark_name()] = run.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto base = cpuMs_.find("ReadFileAndCountLines");
        const auto whole = cpuMs_.find("QueryPlotModelAndTable");
        if (base != cpuMs_.end() && whole != cpuMs_.end() && base->second > 0)
            std::printf("\nQuery + plot model + table: %.2f ms, %.1f x the read-and-count "
                        "baseline of %.3f ms\n",
                        whole->second, whole->second / base->second, base->second);
    }

private:
    std::map<std::string, double> cpuMs_;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
