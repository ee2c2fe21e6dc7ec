#include "dialog_windows.h"

#include "calibration/ui/calibrate.h"
#include "config/ui/program_setup.h"

#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

namespace korvane {

namespace {

// Stands in until the window exists.
void placeholder(QWidget* owner, const QString& caption) {
    QDialog dialog(owner);
    dialog.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("This window is not available yet.", &dialog));
    dialog.exec();
}

} // namespace

void DialogWindows::programSetup(QWidget* owner) {
    ProgramSetup dialog(appFolder_, fmt_, messages_, owner);
    dialog.exec();
}

void DialogWindows::calibrate(QWidget* owner, std::unique_ptr<SerialPort> port) {
    Calibrate dialog(appFolder_, std::move(port), fmt_, messages_, owner);
    dialog.exec();
}

void DialogWindows::showLogs(QWidget* owner) { placeholder(owner, "Graph"); }

} // namespace korvane
