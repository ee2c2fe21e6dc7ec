// Renders the history window showing a simulated day of logging to a PNG:
//   korvane-shot-graph <out.png>

#include "config/program_config.h"
#include "history/ui/graph.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "recording/log_record.h"
#include "simulated_day.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <out.png>\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    using namespace korvane;

    QTemporaryDir home;
    const std::string folder = toLocal8(home.path());
    ProgramConfig config = defaultProgramConfig();
    config.DisplayRPM = "1";
    config.DisplayWS = "1";
    const NumberFormat fmt{'.'};
    const LocalDateTime today{2024, 6, 15, 17, 30, 0, 0};
    ensureDirectory(folder + "/logs");
    if (!replaceFileAtomically(folder + std::string(kProgramConfigFile),
                               formatProgramConfig(config)) ||
        !replaceFileAtomically(logFilePath(folder, dayKey(today)),
                               simulatedDayLog(SimulatedDay{}, fmt))) {
        std::fprintf(stderr, "cannot write the day's files below %s\n", folder.c_str());
        return 1;
    }

    FixedTimeFormats times;
    FakeClock clock(today);
    RecordingMessageSink messages;
    Graph graph(folder, fmt, times, clock, messages);
    graph.show();
    auto* display = graph.findChild<QPushButton*>(QStringLiteral("Command1"));
    display->setFocus();
    display->click();
    // Point at a record so the readout shows values.
    QWidget* plot = graph.findChild<QWidget*>(QStringLiteral("Plot"));
    const QPointF at(plot->width() * 0.62, plot->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(plot, &move);
    QApplication::processEvents();
    for (const auto& m : messages.messages)
        std::fprintf(stderr, "message: %s\n", m.c_str());
    if (!graph.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
