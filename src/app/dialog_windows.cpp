#include "dialog_windows.h"

#include "calibration/ui/calibrate.h"
#include "config/ui/program_setup.h"

#include "history/ui/graph.h"

namespace korvane {

void DialogWindows::programSetup(QWidget* owner) {
    ProgramSetup dialog(appFolder_, fmt_, messages_, owner);
    dialog.exec();
}

void DialogWindows::calibrate(QWidget* owner, std::unique_ptr<SerialPort> port) {
    Calibrate dialog(appFolder_, std::move(port), fmt_, messages_, owner);
    dialog.exec();
}

void DialogWindows::showLogs(QWidget* owner) {
    Graph graph(appFolder_, fmt_, timeFormats_, clock_, messages_, owner);
    graph.exec();
}

} // namespace korvane
