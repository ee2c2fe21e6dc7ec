#pragma once
// The program's own setup, calibration and history windows.

#include "app/child_windows.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/time_formats.h"

#include <string>

namespace korvane {

class DialogWindows final : public ChildWindows {
public:
    DialogWindows(std::string appFolder, const Clock& clock, const TimeFormats& timeFormats,
                  NumberFormat fmt, MessageSink& messages)
        : appFolder_(std::move(appFolder)), clock_(clock), timeFormats_(timeFormats), fmt_(fmt),
          messages_(messages) {}

    void programSetup(QWidget* owner) override;
    void calibrate(QWidget* owner, std::unique_ptr<SerialPort> port) override;
    void showLogs(QWidget* owner) override;

private:
    std::string appFolder_;
    const Clock& clock_;
    const TimeFormats& timeFormats_;
    NumberFormat fmt_;
    MessageSink& messages_;
};

} // namespace korvane
