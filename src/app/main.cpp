// Korvane: live monitoring and logging of a wind-turbine charging system.

#include "alarms/ui/alarms_dialog.h"
#include "app/log_import_runner.h"
#include "app/tavrel.h"
#include "config/settings_files.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/qt/qt_platform.h"
#include "platform/ui/message_box.h"
#include "publish/ui/publishing_dialog.h"
#include "recording/log_record.h"
#include "station/live_parts.h"
#include "station/station.h"
#include "store/day_date.h"
#include "trends/ui/open_trends.h"
#include "web/ui/web_dialog.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    // On X11 the window repaints a few small cells ten times a second.  With
    // a shared-memory image every repaint first waits for the server to be
    // done reading the last one (a round trip each time); sending those few
    // pixels through the X connection costs less, and looks the same.  Must
    // be set before the application connects to the display.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvane");

    const std::string folder = korvane::appFolder();
    korvane::ensureDirectory(folder);
    // One Korvane per folder: a second one would write every record twice.
    // Nothing is opened or written before the lock is ours.
    korvane::FolderLock lock(folder, "korvane");
    if (lock.heldByOther()) {
        const std::string why = "Korvane is already running on the folder " + folder + ": " +
                                lock.holder() +
                                ". Close it first (or stop the korvaned service) before "
                                "starting another.";
        std::fprintf(stderr, "korvane: %s\n", why.c_str());
        korvane::QtMessageSink(nullptr).showMessage(why);
        return 1;
    }
    // A new app folder gets working settings and its logs folder, so a first
    // start shows live values without any setup.
    korvane::installDefaultSettings(folder);
    korvane::ensureDirectory(korvane::joinPath(folder, "/logs"));

    korvane::SystemClock clock;
    korvane::SystemTimeFormats timeFormats;
    const korvane::NumberFormat numberFormat = korvane::systemNumberFormat();
    korvane::LiveParts parts({folder, &clock, numberFormat, nullptr});

    korvane::Station station(parts.stationServices(timeFormats));
    parts.followedBy(station);

    korvane::TavrelServices services;
    services.windowButtons.push_back(
        {"Trends", "TrendsButton", [&](QWidget* owner) {
             korvane::QtMessageSink messages(owner);
             korvane::openTrendsWindow(owner, folder, clock, timeFormats, numberFormat, messages);
         }});
    services.windowButtons.push_back(
        {"Alarms", "AlarmsButton", [&](QWidget* owner) {
             korvane::QtMessageSink messages(owner);
             if (korvane::openAlarmsDialog(owner, folder, numberFormat, messages))
                 parts.reloadAlarms();
         }});
    services.windowButtons.push_back({"Publishing", "PublishingButton", [&](QWidget* owner) {
                                          korvane::QtMessageSink messages(owner);
                                          korvane::openPublishingDialog(owner, folder, numberFormat,
                                                                        messages);
                                          parts.reloadPublishing();
                                      }});
    services.windowButtons.push_back({"Web", "WebButton", [&](QWidget* owner) {
                                          korvane::QtMessageSink messages(owner);
                                          if (korvane::openWebDialog(owner, folder, messages))
                                              parts.reloadWeb();
                                      }});
    services.webAddresses = [&parts] { return parts.web().urls(); };
    services.batteryLevels = [&parts] { return parts.alarms().batteryLevels(); };
    korvane::Tavrel window(station, services);
    window.show();
    const std::string today = korvane::dayKey(clock.now());
    korvane::LogImportRunner import(parts.dbPath(), folder, korvane::dateOfDayKey(today),
                                    numberFormat, &window);
    QObject::connect(&import, &korvane::LogImportRunner::done, &window,
                     [&] { parts.storeSink().setImportProblem(import.problem()); });
    if (import.finished())
        parts.storeSink().setImportProblem(import.problem());
    const int status = app.exec();
    station.shutDown();
    // Nobody may be at the screen to read a message box by now.
    for (const std::string& note : parts.exitNotes())
        std::fprintf(stderr, "korvane: %s\n", note.c_str());
    return status;
}
