#pragma once
// The calibration dialog: live raw readings beside the values the divider
// boxes would give, "Zero" for the current offset, and saving settings.cfg.

#include "calibration/calibration_receiver.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/serial_port.h"

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

class ValueLabel;

// Modal dialog "Calibration", 5430 x 4620 twips, every control at its fixed
// place and named after it (object names such as txtBattV, BatteryVolts,
// Command2).
//
// Created with a fresh, closed serial control; the constructor reads prog.cfg
// and settings.cfg (missing files or keys give the program's defaults), sets
// the port to prog.cfg's Port at "4800,N,8,1" with input length 0 and opens
// it.  A Port that is not a number leaves the port closed: the dialog still
// edits and saves, it just shows no live values.  A port that cannot be
// opened keeps retrying quietly inside the serial control.
//
// Each opening starts with an empty receive buffer and zero readings.
// "Save Calibration" writes settings.cfg atomically, closes the port and
// accepts; if the file cannot be written the user is told through `messages`
// and the dialog stays open with the port and the edits as they were.
// "Exit ( dont save )", the close box and Escape write nothing.  However the
// dialog ends, the port is closed before exec() returns, so the caller can
// reopen its own port at once.  Enter in a divider box does not end the
// dialog: there is no default button.
class Calibrate final : public QDialog {
    Q_OBJECT
public:
    Calibrate(std::string appFolder, std::unique_ptr<SerialPort> port, NumberFormat numberFormat,
              MessageSink& messages, QWidget* parent = nullptr);
    ~Calibrate() override;

    void done(int result) override;

private:
    void createControls();
    void Form_Load();
    void MSComm2_OnComm();
    void Command2_Click();
    void Command1_Click();
    void Command6_Click();
    void showReadings();
    DividerBoxes dividerBoxes() const;

    std::string appFolder_;
    NumberFormat fmt_;
    MessageSink& messages_;

    // Dialog state.  The raw values, previews and CalRxBuffer live in the
    // receiver; the loaded dividers only fill the boxes.
    double VoltOffset = 0;
    std::string WSUnits;
    std::optional<std::int16_t> Port;
    std::string portText_;
    CalibrationReceiver receiver_;
    std::unique_ptr<SerialPort> MSComm2;

    // Whether the dialog's port is open, or why it is not; kept current by
    // portStateTimer_ because a device may come or go while the dialog is open.
    QLabel* PortState;
    QTimer portStateTimer_;
    void showPortState();

    // Step 1
    QLabel* Label8;
    QLabel* Label2;
    QLabel* Label9;
    QLabel* Label10;
    ValueLabel* txtBattV;
    QLabel* Picture1;
    QLineEdit* BatteryVolts;
    QLabel* Label6;
    QLabel* txtBattVadjusted;
    // Step 2
    QLabel* Label11;
    QLabel* Label7;
    QLabel* Label12;
    QLabel* Label13;
    QPushButton* Command2;
    ValueLabel* OffsetV;
    QLabel* Label1;
    ValueLabel* txtShuntV;
    QLabel* Picture2;
    QLineEdit* BatteryCurrent;
    QLabel* Label20;
    QLabel* txtBattAadjusted;
    // Step 3
    QLabel* Label14;
    QLabel* Label3;
    QLabel* Label15;
    ValueLabel* txtPulsess;
    QLabel* Picture3;
    QLineEdit* PulseDivider;
    QLabel* Label16;
    QLabel* txtWindmillRPM;
    // Step 4
    QLabel* Label21;
    QLabel* Label23;
    ValueLabel* txtPulsess2;
    QLabel* Picture4;
    QLineEdit* Pulse2Divider;
    QLabel* Label4;
    QLabel* txtWindSpeed;
    // Buttons
    QPushButton* Command6;
    QPushButton* Command1;
};

} // namespace korvane
