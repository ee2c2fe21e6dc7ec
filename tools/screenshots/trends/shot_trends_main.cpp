// Renders each tab of the Trends window over a simulated June, with May as
// the power curve's reference period and the simulator's currents and a
// maker's curve in turbine.cfg:
//   korvane-shot-trends <energy.png> <power-curve.png> <battery.png> <days.png> [<turbine.png>]
// The fifth picture is the Turbine dialog over the window.

#include "config/program_config.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "simulated_store.h"
#include "trends/turbine_config.h"
#include "trends/ui/trends_window.h"

#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr,
                     "usage: %s <energy.png> <power-curve.png> <battery.png> <days.png> "
                     "[<turbine.png>]\n",
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
    const StoreResult written = sim::writeSimulatedStore(folder + "/korvane.db", {20260501, 61, 7});
    if (!written.ok()) {
        std::fprintf(stderr, "cannot write the store: %s\n", written.text.c_str());
        return 1;
    }
    // The board model's load draws 9 A, and everything else 0.4 A all the time.
    TurbineConfig turbine;
    turbine.LoadAmps = "9";
    turbine.IdleAmps = "0.4";
    turbine.MakerCurve =
        "3:0 5:12 8:40 10:68 12:92 15:132 18:178 21:222 25:288 30:375 35:450 40:500";
    turbine.RefFrom = "2026-05-01";
    turbine.RefTo = "2026-05-31";
    if (saveTurbineConfig(folder, turbine) != 0) {
        std::fprintf(stderr, "cannot write turbine.cfg below %s\n", folder.c_str());
        return 1;
    }

    FixedTimeFormats times;
    FakeClock clock(LocalDateTime{2026, 6, 30, 23, 59, 0, 0});
    RecordingMessageSink messages;
    Trends trends({folder, NumberFormat{'.'}, clock, times, messages, {}, {}, {}});
    trends.resize(960, 600);
    trends.show();
    for (int tab = 0; tab < 4; ++tab) {
        trends.tabs()->setCurrentIndex(tab);
        QApplication::processEvents();
        if (!trends.grab().save(QString::fromLocal8Bit(argv[1 + tab]))) {
            std::fprintf(stderr, "cannot write %s\n", argv[1 + tab]);
            return 1;
        }
    }
    bool saved = true;
    if (argc == 6)
        trends.editTurbine([&](TurbineDialog& dialog) {
            dialog.show();
            QApplication::processEvents();
            saved = dialog.grab().save(QString::fromLocal8Bit(argv[5]));
        });
    if (!saved) {
        std::fprintf(stderr, "cannot write %s\n", argv[5]);
        return 1;
    }
    for (const auto& m : messages.messages)
        std::fprintf(stderr, "message: %s\n", m.c_str());
    return 0;
}
