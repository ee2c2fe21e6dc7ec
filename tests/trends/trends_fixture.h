#pragma once
// The Trends window over a small store of hand-made minutes, with the file
// choosers and the history window replaced by recorders.

#include "config/program_config.h"
#include "store_fixture.h"
#include "support/temp_dir.h"
#include "trends/ui/trends_window.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace korvane::test {

class TrendsWindow : public ::testing::Test {
protected:
    TrendsWindow() {
        // The fixture's minutes are dated by UTC; so is the window here.
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        ProgramConfig config = defaultProgramConfig();
        config.WSUnits = "m/s";
        dir.write("prog.cfg", formatProgramConfig(config));
    }

    // 1 Mar: 4 minutes, 2 Mar: nothing, 3 Mar: an imported log only,
    // 4 Mar: 2 minutes (one with a low 11.8 V).
    void writeStore() {
        test::writeMinutes(
            dir.file("korvane.db"),
            {minuteOf(20260301, 600, 2.2, 40, 0.5), minuteOf(20260301, 601, 2.7, 60, 1),
             minuteOf(20260301, 602, 2.5, 50, 1.5),
             minuteOf(20260301, 603, 5.1, 300, 5, 12.2, 14.1),
             minuteOf(20260304, 0, 5.9, 340, 4, 11.8, 13), minuteOf(20260304, 1, 7.5, 700, 6)});
        auto store = HistoryStore::open(dir.file("korvane.db"), 20260301).store;
        const LogRecordRow records[] = {{600, 12.9, 3, 38.7, 200, 4, 1},
                                        {601, 13.2, 4, 52.8, 250, 5, 0}};
        ASSERT_TRUE(store->importLog(20260303, "2026_3_3.txt", 100, records).ok());
    }

    Trends& open() {
        TrendsServices services{dir.path(), NumberFormat{'.'}, clock, times, messages, {}, {}, {}};
        services.chooseSaveFile = [this](QWidget*, const std::string& suggested) {
            suggestions.push_back(suggested);
            return savePath;
        };
        services.openHistoryDay = [this](QWidget*, int date) { historyDays.push_back(date); };
        services.chooseOpenFile = [this](QWidget*) { return openPath; };
        window = std::make_unique<Trends>(std::move(services));
        window->chooseDates(20260301, 20260304);
        return *window;
    }

    test::TempDir dir;
    FakeClock clock{LocalDateTime{2026, 3, 5, 18, 0, 0, 0}}; // the day after the store's last
    FixedTimeFormats times;
    RecordingMessageSink messages;
    std::string savePath;
    std::string openPath;
    std::vector<std::string> suggestions;
    std::vector<int> historyDays;
    std::unique_ptr<Trends> window;
};

} // namespace korvane::test
