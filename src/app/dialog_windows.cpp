#include "dialog_windows.h"

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
    placeholder(owner, "Korvane Setup");
}

void DialogWindows::calibrate(QWidget* owner, std::unique_ptr<SerialPort> port) {
    port.reset();
    placeholder(owner, "Calibration");
}

void DialogWindows::showLogs(QWidget* owner) {
    placeholder(owner, "Graph");
}

} // namespace korvane
