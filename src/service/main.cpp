// korvaned: Korvane without a window, for a site PC that must measure and
// log from the moment it boots, with nobody there to log in.

#include "alarms/alarm_text.h"
#include "config/settings_files.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/qt/qt_platform.h"
#include "recording/log_record.h"
#include "service/service_log.h"
#include "service/service_options.h"
#include "service/service_reporter.h"
#include "service/signal_watcher.h"
#include "service/site_check.h"
#include "service/systemd_notifier.h"
#include "station/live_parts.h"
#include "station/log_import.h"
#include "station/station.h"
#include "store/day_date.h"
#include "web/web_config.h"

#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr const char* kVersion = KORVANE_VERSION;

// Creates the folder and its parents; empty, or why it could not.
std::string makeFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (korvane::directoryExists(folder))
        return {};
    return error ? error.message() : "a file stands in its place";
}

} // namespace

int main(int argc, char** argv) {
    const korvane::ServiceOptions options =
        korvane::parseServiceOptions(std::vector<std::string>(argv + 1, argv + argc));
    switch (options.action) {
    case korvane::ServiceOptions::Action::Help:
        std::fputs(korvane::serviceHelpText().c_str(), stdout);
        return 0;
    case korvane::ServiceOptions::Action::Version:
        std::printf("korvaned %s\n", kVersion);
        return 0;
    case korvane::ServiceOptions::Action::Refused:
        std::fprintf(stderr, "korvaned: %s\n", options.error.c_str());
        return 2;
    default:
        break;
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("korvaned");
    const std::string folder = options.home.empty() ? korvane::appFolder() : options.home;
    const korvane::NumberFormat numberFormat = korvane::systemNumberFormat();

    if (options.action == korvane::ServiceOptions::Action::Check) {
        std::printf("korvaned %s: checking %s\n", kVersion, folder.c_str());
        bool allWell = true;
        for (const korvane::CheckLine& line : korvane::checkSite(folder, numberFormat)) {
            std::printf("%s %s\n", line.ok ? "ok  " : "FAIL", line.text.c_str());
            allWell = allWell && line.ok;
        }
        std::printf(allWell ? "All well.\n" : "Something needs attention (FAIL above).\n");
        return allWell ? 0 : 1;
    }

    korvane::ServiceLog log(korvane::ServiceLog::journalFromEnvironment());
    log.info(std::string("korvaned ") + kVersion + " starting in " + folder);
    if (const std::string why = makeFolder(folder); !why.empty()) {
        log.error("Cannot make the app folder " + folder + ": " + why);
        return 1;
    }
    // One Korvane per folder: a second one would write every record twice.
    // Nothing is opened or written before the lock is ours.
    korvane::FolderLock lock(folder, "korvaned");
    if (lock.heldByOther()) {
        log.error("Another Korvane is already running on " + folder + ": " + lock.holder() +
                  "; this one stops without touching the port or any file");
        return 1;
    }
    if (!lock.held())
        log.warning("Cannot lock " + lock.path() + " (" + lock.error() +
                    "); running without the one-Korvane-per-folder check");
    // A new folder for the service logs from the start (every 60 s): nobody
    // is there to press Start.  An existing prog.cfg is never touched.
    if (!korvane::fileExists(korvane::joinPath(folder, korvane::kProgramConfigFile))) {
        korvane::ProgramConfig program = korvane::defaultProgramConfig();
        program.LogOn = "1";
        if (korvane::saveProgramConfig(folder, program))
            log.notice("First start: " + folder + "/prog.cfg written with logging on every " +
                       program.LogDelay + " s");
    }
    korvane::installDefaultSettings(folder);
    korvane::ensureDirectory(korvane::joinPath(folder, "/logs"));
    // A site without a screen is looked at from elsewhere: the first start
    // turns the dashboard on for the LAN (web.cfg can turn it off again).
    int webError = 0;
    for (const std::string& url : korvane::enableWebOnFirstStart(folder, &webError))
        log.notice("Web dashboard turned on at the first start: " + url);
    if (webError != 0)
        log.warning("Cannot write " + folder + "/web.cfg: " + korvane::errorText(webError));

    korvane::SystemClock clock;
    korvane::SystemTimeFormats timeFormats;
    korvane::LivePartsSetup partsSetup{folder, &clock, numberFormat, nullptr};
    partsSetup.onAlarmEvent = [&log, numberFormat](const korvane::AlarmEvent& e) {
        const bool raised = e.change == "raised";
        log.write(raised ? korvane::LogLevel::Warning : korvane::LogLevel::Notice,
                  "Alarm " + e.change + ": " + e.name + " at " +
                      korvane::formatGeneral(e.value, numberFormat) +
                      (e.unit.empty() ? "" : " " + e.unit));
    };
    korvane::LiveParts parts(std::move(partsSetup));

    korvane::Station station(parts.stationServices(timeFormats));
    parts.followedBy(station);

    korvane::SystemdNotifier notifier;
    korvane::ServiceReporter reporter(station, log, notifier);
    station.start();
    if (!station.logging())
        log.warning("Logging is off: nothing is written to logs/ until prog.cfg has "
                    "<LogOn>1</LogOn> (Program Setup's \"Start Logger Automatically?\"); "
                    "then send SIGHUP (systemctl reload korvaned) or restart");
    for (const std::string& url : parts.web().urls())
        log.info("Web dashboard: " + url);
    notifier.ready(reporter.statusLine());

    // Daily logs from before the store (a folder the desktop program used
    // first) come in as they do under the window, a file per turn of the
    // event loop, without a dialog.
    korvane::LogImport import(parts.dbPath(), folder,
                              korvane::dateOfDayKey(korvane::dayKey(clock.now())), numberFormat);
    const auto importDone = [&] {
        parts.storeSink().setImportProblem(import.problem());
        if (!import.problem().empty())
            log.warning(import.problem());
    };
    QObject::connect(&import, &korvane::LogImport::done, &app, importDone);
    if (import.finished())
        importDone();

    korvane::SignalWatcher watcher;
    QObject::connect(&watcher, &korvane::SignalWatcher::terminate, &app, [&](int number) {
        log.notice(std::string("Stopping on ") + (number == SIGINT ? "SIGINT" : "SIGTERM"));
        notifier.stopping();
        QCoreApplication::exit(0);
    });
    QObject::connect(&watcher, &korvane::SignalWatcher::reload, &app, [&] {
        log.notice("SIGHUP: reading the settings files again");
        station.reloadSettings();
        // Without a window there is no Start button: logging follows LogOn.
        const bool wanted = korvane::isSwitchOn(station.programConfig().LogOn, numberFormat);
        if (wanted && !station.logging() && station.startLogging(station.programConfig().LogDelay))
            station.resetPeaks();
        else if (!wanted && station.logging())
            station.stopLogging();
        parts.reloadAlarms();
        parts.reloadPublishing();
        parts.reloadWeb();
    });
    const int status = QCoreApplication::exec();
    station.shutDown();
    for (const std::string& note : parts.exitNotes())
        log.warning(note);
    log.info("korvaned stopped");
    return status;
}
