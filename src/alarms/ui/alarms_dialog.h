#pragma once
// The Alarms dialog: edits every setting of alarms.cfg.

// Qt's headers first: the moc of Qt 6.4 fails on <compare> (from the clock)
// unless a Qt header came before it.
#include <QDialog>

#include "alarms/alarm_config.h"
#include "platform/messages.h"
#include "platform/numbers.h"

#include <array>
#include <string>

class QCheckBox;
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
// Controls carry their tag names as object names: LowVoltsOn, LowVolts,
// LowVoltsClear, HighVoltsOn, ..., NoDataOn, NoDataMinutes, HoldSeconds,
// Command, and the button Save.
class Alarms final : public QDialog {
    Q_OBJECT
public:
    Alarms(std::string appFolder, NumberFormat numberFormat, MessageSink& messages,
           QWidget* parent = nullptr);

private:
    struct TextField {
        QLineEdit* box;
        std::string AlarmConfig::*text;
    };
    struct SwitchField {
        QCheckBox* box;
        std::string AlarmConfig::*text;
    };
    std::array<TextField, 13> textFields() const;
    std::array<SwitchField, 6> switchFields() const;
    void Form_Load();
    void Save_Click();

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
    QCheckBox* NoDataOn;
    QLineEdit* NoDataMinutes;
    QLineEdit* HoldSeconds;
    QLineEdit* Command;
    QPushButton* Save;
};

// Shows the dialog modally over `owner`; true when the user saved (the alarm
// monitor should then reload()).
bool openAlarmsDialog(QWidget* owner, const std::string& appFolder, NumberFormat numberFormat,
                      MessageSink& messages);

} // namespace korvane
