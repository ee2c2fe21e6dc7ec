#include "service_options.h"

namespace korvane {

ServiceOptions parseServiceOptions(const std::vector<std::string>& args) {
    ServiceOptions options;
    const auto refuse = [&](std::string why) {
        options.action = ServiceOptions::Action::Refused;
        options.error = std::move(why) + " (korvaned --help lists the options)";
        return options;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            options.action = ServiceOptions::Action::Help;
        } else if (a == "--version") {
            if (options.action != ServiceOptions::Action::Help)
                options.action = ServiceOptions::Action::Version;
        } else if (a == "--check") {
            if (options.action == ServiceOptions::Action::Run)
                options.action = ServiceOptions::Action::Check;
        } else if (a == "--home" || a.starts_with("--home=")) {
            std::string dir;
            if (a == "--home") {
                if (i + 1 >= args.size())
                    return refuse("--home needs a folder");
                dir = args[++i];
            } else {
                dir = a.substr(7);
            }
            if (dir.empty())
                return refuse("--home needs a folder");
            // A trailing slash would give paths like "/k//logs".
            while (dir.size() > 1 && dir.back() == '/')
                dir.pop_back();
            options.home = dir;
        } else {
            return refuse("unknown option \"" + a + "\"");
        }
    }
    return options;
}

std::string serviceHelpText() {
    return "Usage: korvaned [--home DIR] [--check]\n"
           "\n"
           "Korvane without a window: reads the measuring board on the serial port,\n"
           "logs, keeps the history store and runs alarms, publishing and the web\n"
           "dashboard, as the desktop program does.\n"
           "\n"
           "  --home DIR   the app folder (settings, logs, korvane.db); else\n"
           "               KORVANE_HOME, else the folder of this program\n"
           "  --check      reads every settings file, opens the store, says where\n"
           "               the serial port leads and whether it opens, then exits\n"
           "               0 when all is well, 1 when something is not\n"
           "  --version    prints the version\n"
           "  --help       prints this\n"
           "\n"
           "Signals: SIGTERM or SIGINT end it cleanly; SIGHUP re-reads the settings.\n"
           "Diagnostics go to standard error, one line per event.\n";
}

} // namespace korvane
