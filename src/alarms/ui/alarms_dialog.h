#pragma once
// The Alarms dialog: edits every setting of alarms.cfg.

// Qt's headers first: the moc of Qt 6.4 fails on <compare> (from the clock)
// unless a Qt header came before it.
#include <QDialog>

#include "alarms/alarm_config.h"
#include "alarms/qt/alarm_command_runner.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/numbers.h"

#include <array>
#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

// Modal dialog "Alarms".  It reads alarms.cfg when created (a missing file or
// key shows its default).  "Save" (or Enter in a box) refuses the first field
// that is not acceptable with a message naming it, else writes alarms.cfg
// atomically and closes (accepted); when the file cannot be written the user
// is told which file and the dialog stays open with the edits.  Closing by
// the frame or Escape discards the edits (rejected).  The serial port is not
// touched.
//
// "Test command" runs what the Command box holds once, as an alarm would
// (testAlarmCall's arguments, the same process group, timeout and output
// cap), without waiting for it: the line TestResult then says how it ended
// and its last output line.  Closing the dialog ends a test still running.
//
// Controls carry their tag names as object names: LowVoltsOn, LowVolts,
// LowVoltsClear, HighVoltsOn, ..., OutputLowOn, OutputLow, OutputLowClear,
// NoDataOn, NoDataMinutes, HoldSeconds, Command, the "Battery levels" group's
// BatteryLow, BatteryGood, BatteryFull and IdleBand, the buttons Save and
// TestCommand, and the label TestResult.
class Alarms final : public QDialog {
    Q_OBJECT
public:
    Alarms(std::string appFolder, NumberFormat numberFormat, MessageSink& messages,
           QWidget* parent = nullptr);
    ~Alarms() override;

private:
    struct TextField {
        QLineEdit* box;
        std::string AlarmConfig::*text;
    };
    struct SwitchField {
        QCheckBox* box;
        std::string AlarmConfig::*text;
    };
    std::array<TextField, 19> textFields() const;
    std::array<SwitchField, 7> switchFields() const;
    void Form_Load();
    void Save_Click();
    void TestCommand_Click();

    std::string appFolder_;
    NumberFormat fmt_;
    MessageSink& messages_;

    QCheckBox* LowVoltsOn;
    QLineEdit* LowVolts;
    QLineEdit* LowVoltsClear;
    QCheckBox* HighVoltsOn;
    QLineEdit* HighVolts;
    QLineEdit* HighVoltsClear;
    QCheckBox* HighAmpsOn;
    QLineEdit* HighAmps;
    QLineEdit* HighAmpsClear;
    QCheckBox* HighRPMOn;
    QLineEdit* HighRPM;
    QLineEdit* HighRPMClear;
    QCheckBox* HighWindOn;
    QLineEdit* HighWind;
    QLineEdit* HighWindClear;
    QCheckBox* OutputLowOn;
    QLineEdit* OutputLow;
    QLineEdit* OutputLowClear;
    QCheckBox* NoDataOn;
    QLineEdit* NoDataMinutes;
    QLineEdit* HoldSeconds;
    QLineEdit* Command;
    QLineEdit* BatteryLow;
    QLineEdit* BatteryGood;
    QLineEdit* BatteryFull;
    QLineEdit* IdleBand;
    QPushButton* TestCommand;
    QLabel* TestResult;
    QPushButton* Save;

    SystemClock clock_;
    std::unique_ptr<ProcessCommandRunner> tests_; // made at the first test
};

// Shows the dialog modally over `owner`; true when the user saved (the alarm
// monitor should then reload()).
bool openAlarmsDialog(QWidget* owner, const std::string& appFolder, NumberFormat numberFormat,
                      MessageSink& messages);

} // namespace korvane
