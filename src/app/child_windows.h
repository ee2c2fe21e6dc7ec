#pragma once
// The three windows the main window opens modally.  The program shows the
// real dialogs; tests stand in for the user behind them.

#include "platform/serial_port.h"

#include <memory>

class QWidget;

namespace korvane {

class ChildWindows {
public:
    virtual ~ChildWindows() = default;
    // Each returns when the window has closed.
    virtual void programSetup(QWidget* owner) = 0;
    // `port` is the dialog's own serial control, closed; the dialog opens it.
    virtual void calibrate(QWidget* owner, std::unique_ptr<SerialPort> port) = 0;
    virtual void showLogs(QWidget* owner) = 0;
};

} // namespace korvane
