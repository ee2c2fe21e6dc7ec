#pragma once
// The program setup dialog: edits the eight settings of prog.cfg.

#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/serial_adapters.h"

#include <QDialog>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

class AdapterPanel;
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
// To the right, the serial adapters plugged in now (AdapterPanel).  "Use for
// port" checks the port number as saving does (same message), then makes
// com<n> in the app folder lead to the picked adapter; it writes nothing to
// prog.cfg and never replaces a file or folder named com<n>.
//
// Controls carry their setting names as object names: PortNumber, Savehtml,
// SaveExcel, LogDelay, LogOn, DisplayRPM, DisplayWS, WSUnits and Command1.
class ProgramSetup final : public QDialog {
    Q_OBJECT
public:
    // Lists the system's serial adapters.
    ProgramSetup(std::string appFolder, NumberFormat numberFormat, MessageSink& messages,
                 QWidget* parent = nullptr);
    // Lists those of `adapters`, which must outlive the dialog.
    ProgramSetup(std::string appFolder, NumberFormat numberFormat, MessageSink& messages,
                 const SerialAdapterList& adapters, QWidget* parent = nullptr);
    ~ProgramSetup() override;

private:
    ProgramSetup(std::string appFolder, NumberFormat numberFormat, MessageSink& messages,
                 std::unique_ptr<SerialAdapterList> ownList, const SerialAdapterList* adapters,
                 QWidget* parent);
    void Form_Load();
    void Command1_Click();
    void useForPort(const SerialAdapter& adapter);
    void showPortDevice();

    std::unique_ptr<SerialAdapterList> ownList_;
    std::string appFolder_;
    NumberFormat fmt_;
    MessageSink& messages_;
    std::string savedPort_; // Port as prog.cfg held it at load

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
    AdapterPanel* adapters_;
};

} // namespace korvane
