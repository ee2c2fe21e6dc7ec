// Renders each tab of the Trends window over a simulated month of minutes:
//   korvane-shot-trends <energy.png> <power-curve.png> <battery.png> <days.png>

#include "config/program_config.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "simulated_store.h"
#include "trends/ui/trends_window.h"

#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <energy.png> <power-curve.png> <battery.png> <days.png>\n",
                     argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    using namespace korvane;

    QTemporaryDir home;
    const std::string folder = toLocal8(home.path());
    ProgramConfig config = defaultProgramConfig();
    config.WSUnits = "km/h";
    if (!replaceFileAtomically(folder + std::string(kProgramConfigFile),
                               formatProgramConfig(config))) {
        std::fprintf(stderr, "cannot write prog.cfg below %s\n", folder.c_str());
        return 1;
    }
    const StoreResult written = sim::writeSimulatedStore(folder + "/korvane.db", {20260601, 30, 7});
    if (!written.ok()) {
        std::fprintf(stderr, "cannot write the store: %s\n", written.text.c_str());
        return 1;
    }

    FixedTimeFormats times;
    FakeClock clock(LocalDateTime{2026, 6, 30, 23, 59, 0, 0});
    RecordingMessageSink messages;
    Trends trends({folder, NumberFormat{'.'}, clock, times, messages, {}, {}});
    trends.resize(900, 580);
    trends.show();
    for (int tab = 0; tab < 4; ++tab) {
        trends.tabs()->setCurrentIndex(tab);
        QApplication::processEvents();
        if (!trends.grab().save(QString::fromLocal8Bit(argv[1 + tab]))) {
            std::fprintf(stderr, "cannot write %s\n", argv[1 + tab]);
            return 1;
        }
    }
    for (const auto& m : messages.messages)
        std::fprintf(stderr, "message: %s\n", m.c_str());
    return 0;
}
