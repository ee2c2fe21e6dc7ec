#pragma once
// Loading and saving prog.cfg and settings.cfg in the app folder.

#include "calibration_config.h"
#include "program_config.h"

#include <string>

namespace korvane {

// A file that is missing or unreadable gives the defaults, as a file missing
// single keys does: the program always starts with usable settings.
ProgramConfig loadProgramConfig(const std::string& appFolder);
CalibrationConfig loadCalibrationConfig(const std::string& appFolder);

// Atomic replacement; false (old file untouched) when it could not be written.
bool saveProgramConfig(const std::string& appFolder, const ProgramConfig& config);
bool saveCalibrationConfig(const std::string& appFolder, const CalibrationConfig& config);

// Writes the default files where none exist yet (first start of a new app
// folder).  Existing files are never touched.
void installDefaultSettings(const std::string& appFolder);

} // namespace korvane
