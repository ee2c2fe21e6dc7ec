#pragma once
// korvaned's command line.

#include <string>
#include <vector>

namespace korvane {

struct ServiceOptions {
    enum class Action { Run, Check, Version, Help, Refused };
    Action action = Action::Run;
    std::string home;  // --home DIR; empty: KORVANE_HOME, else the program's folder
    std::string error; // for Refused: what was wrong, for standard error
};

// `args` without the program name.
ServiceOptions parseServiceOptions(const std::vector<std::string>& args);

std::string serviceHelpText();

} // namespace korvane
