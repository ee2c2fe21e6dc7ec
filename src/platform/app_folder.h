#pragma once

#include <string>

namespace korvane {

// Everything Korvane reads and writes lives below the app folder: the value of
// KORVANE_HOME when it is set and not empty, else the executable's folder.
// A trailing "/" is removed so relative names ("/prog.cfg") can be appended.
std::string resolveAppFolder(const char* korvaneHome, const std::string& executableFolder);

} // namespace korvane
