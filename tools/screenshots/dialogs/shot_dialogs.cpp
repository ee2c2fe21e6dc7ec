// Renders the program setup and calibration dialogs to PNG files for the
// README: korvane-shot-dialogs <setup.png> <calibration.png>
// The dialogs read a throw-away app folder with typical settings.  The setup
// dialog lists two typical USB adapters, the first picked; the calibration
// dialog is fed one board packet so its sums show live values.

#include "calibration/ui/calibrate.h"
#include "config/ui/program_setup.h"
#include "platform/fake_serial_port.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "platform/serial_adapters.h"

#include <QApplication>
#include <QListWidget>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

namespace {

bool save(QWidget& window, const char* path) {
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(path))) {
        std::fprintf(stderr, "korvane-shot-dialogs: cannot write %s\n", path);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: korvane-shot-dialogs <setup.png> <calibration.png>\n");
        return 2;
    }
    QApplication app(argc, argv);
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const std::string folder = korvane::toLocal8(home.path());
    korvane::replaceFileAtomically(folder + "/prog.cfg",
                                   "Program Config File\r\n\r\n<Port>1</Port>\r\n"
                                   "<Savehtml>1</Savehtml>\r\n<SaveExcel>0</SaveExcel>\r\n"
                                   "<LogDelay>60</LogDelay>\r\n<LogOn>1</LogOn>\r\n"
                                   "<DisplayRPM>1</DisplayRPM>\r\n<DisplayWS>1</DisplayWS>\r\n"
                                   "<WSUnits>km/h</WSUnits>\r\n\r\n");
    korvane::replaceFileAtomically(
        folder + "/settings.cfg",
        "Calibration Settings\r\n\r\n\r\n"
        "<VoltDivider>40</VoltDivider>\r\n<VoltOffset>100</VoltOffset>\r\n"
        "<AmpDivider>20</AmpDivider>\r\n<RPMDivider>12</RPMDivider>\r\n"
        "<WSDivider>2</WSDivider>\r\n");

    korvane::RecordingMessageSink messages;
    const korvane::NumberFormat fmt{'.'};
    bool ok = true;
    {
        const korvane::FixedSerialAdapterList adapters(
            {{"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3QZ7-if00-port0", "/dev/ttyUSB0",
              "FT232R USB UART", "FTDI", "A10K3QZ7"},
             {"/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0",
              "/dev/ttyUSB1", "USB-Serial Controller", "Prolific Technology Inc.", ""}});
        korvane::ProgramSetup setup(folder, fmt, messages, adapters);
        if (auto* list = setup.findChild<QListWidget*>(QStringLiteral("Adapters")))
            list->setCurrentRow(0);
        ok = save(setup, argv[1]) && ok;
    }
    {
        auto port = std::make_unique<korvane::FakeSerialPort>();
        korvane::FakeSerialPort* device = port.get();
        korvane::Calibrate calibrate(folder, std::move(port), fmt, messages);
        device->receive("[<V>531</V><I>187</I><R>96</R><M>0</M><S>27</S>]");
        ok = save(calibrate, argv[2]) && ok;
    }
    return ok ? 0 : 1;
}
