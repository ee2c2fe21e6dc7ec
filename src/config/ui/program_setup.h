#pragma once
// The program setup dialog: edits the eight settings of prog.cfg.

#include "platform/messages.h"
#include "platform/numbers.h"

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

class SwitchCheckBox;

// Modal dialog "Korvane Setup".  It reads prog.cfg when created: a missing
// file or key shows the value the program runs with (the built-in default),
// so what the user sees is what is in effect.  "Save Setings" (or Enter in a
// box) checks the port number (numeric, 1 to 8), writes prog.cfg atomically
// and closes the dialog (accepted).  When the file cannot be written the user
// is told through `messages`, nothing is lost and the dialog stays open.
// Closing by the frame or Escape discards the edits (rejected).  The serial
// port is not touched.
//
// Controls carry their setting names as object names: PortNumber, Savehtml,
// SaveExcel, LogDelay, LogOn, DisplayRPM, DisplayWS, WSUnits and Command1.
class ProgramSetup final : public QDialog {
    Q_OBJECT
public:
    ProgramSetup(std::string appFolder, NumberFormat numberFormat, MessageSink& messages,
                 QWidget* parent = nullptr);

private:
    void Form_Load();
    void Command1_Click();
    void showPortDevice();

    std::string appFolder_;
    NumberFormat fmt_;
    MessageSink& messages_;

    QLineEdit* PortNumber;
    SwitchCheckBox* Savehtml;
    SwitchCheckBox* SaveExcel;
    QLineEdit* LogDelay;
    SwitchCheckBox* LogOn;
    SwitchCheckBox* DisplayRPM;
    SwitchCheckBox* DisplayWS;
    QLineEdit* WSUnits;
    QPushButton* Command1;
    QLabel* portDevice_;
};

} // namespace korvane
