#pragma once
// A main window over a fake serial port, a fake clock and recorded messages,
// in a fresh app folder.

#include "app/tavrel.h"
#include "config/settings_files.h"
#include "platform/fake_serial_port.h"
#include "support/temp_dir.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

namespace korvane::test {

// Stands in for the user behind the three dialogs.
class ScriptedWindows final : public ChildWindows {
public:
    std::function<void()> onSetup;
    std::function<void(SerialPort&)> onCalibrate;
    std::function<void()> onShowLogs;
    int setupCount = 0, calibrateCount = 0, showLogsCount = 0;

    void programSetup(QWidget*) override {
        ++setupCount;
        if (onSetup)
            onSetup();
    }
    void calibrate(QWidget*, std::unique_ptr<SerialPort> port) override {
        ++calibrateCount;
        if (onCalibrate)
            onCalibrate(*port);
    }
    void showLogs(QWidget*) override {
        ++showLogsCount;
        if (onShowLogs)
            onShowLogs();
    }
};

struct MainWindowFixture {
    TempDir dir;
    FakeClock clock{{2026, 12, 8, 12, 0, 0, 0}};
    FixedTimeFormats formats;
    RecordingMessageSink messages;
    ScriptedWindows windows;
    FakeSerialPort* port = nullptr;          // MSComm1
    std::vector<FakeSerialPort*> otherPorts; // MSComm2 per calibration
    std::unique_ptr<Tavrel> window;
    std::vector<LiveSink*> extraSinks;
    std::function<double(const std::string&)> energySoFar;
    std::vector<WindowButton> buttons;
    std::function<void(FakeSerialPort&)> makePort; // prepares MSComm1 before it opens

    explicit MainWindowFixture(ProgramConfig program = defaultProgramConfig(),
                               CalibrationConfig cal = {"40", "100", "20", "6", "2"}) {
        saveProgramConfig(dir.path(), program);
        saveCalibrationConfig(dir.path(), cal);
    }

    Tavrel& start(NumberFormat fmt = {}) {
        TavrelServices s;
        s.appFolder = dir.path();
        s.makePort = [this]() -> std::unique_ptr<SerialPort> {
            auto p = std::make_unique<FakeSerialPort>();
            if (port == nullptr && makePort)
                makePort(*p);
            (port == nullptr ? port : otherPorts.emplace_back()) = p.get();
            return p;
        };
        s.clock = &clock;
        s.timeFormats = &formats;
        s.numberFormat = fmt;
        s.messages = &messages;
        s.windows = &windows;
        s.sinks = extraSinks;
        s.energySoFar = energySoFar;
        s.windowButtons = buttons;
        window = std::make_unique<Tavrel>(s);
        return *window;
    }

    template <typename T> T* child(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    QTimer* timer(const char* name) const { return child<QTimer>(name); }
    QString delayText() const { return child<QLineEdit>("delay")->text(); }
    QString caption() const { return window->windowTitle(); }

    // The value and label columns of the readings list.
    std::vector<std::pair<QString, QString>> rows() const {
        std::vector<std::pair<QString, QString>> out;
        auto* list = child<QTreeWidget>("ListView1");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out.emplace_back(list->topLevelItem(i)->text(1), list->topLevelItem(i)->text(2));
        return out;
    }
};

inline ProgramConfig programWith(std::function<void(ProgramConfig&)> edit) {
    ProgramConfig c = defaultProgramConfig();
    edit(c);
    return c;
}

} // namespace korvane::test
