// Korvane: live monitoring and logging of a wind-turbine charging system.

#include "app/tavrel.h"
#include "config/settings_files.h"
#include "platform/files.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_serial_port.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvane");

    const std::string folder = korvane::appFolder();
    // A new app folder gets working settings and its logs folder, so a first
    // start shows live values without any setup.
    korvane::installDefaultSettings(folder);
    korvane::ensureDirectory(korvane::joinPath(folder, "/logs"));

    korvane::SystemClock clock;
    korvane::SystemTimeFormats timeFormats;
    korvane::TavrelServices services;
    services.appFolder = folder;
    services.makePort = [folder]() -> std::unique_ptr<korvane::SerialPort> {
        return std::make_unique<korvane::QtSerialPort>(folder);
    };
    services.clock = &clock;
    services.timeFormats = &timeFormats;
    services.numberFormat = korvane::systemNumberFormat();

    korvane::Tavrel window(services);
    window.show();
    return app.exec();
}
