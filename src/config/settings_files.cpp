#include "settings_files.h"

#include "platform/files.h"

namespace korvane {

ProgramConfig loadProgramConfig(const std::string& appFolder) {
    return parseProgramConfig(readWholeFile(joinPath(appFolder, kProgramConfigFile)).value_or(""));
}

CalibrationConfig loadCalibrationConfig(const std::string& appFolder) {
    return parseCalibrationConfig(
        readWholeFile(joinPath(appFolder, kCalibrationConfigFile)).value_or(""));
}

bool saveProgramConfig(const std::string& appFolder, const ProgramConfig& config) {
    return replaceFileAtomically(joinPath(appFolder, kProgramConfigFile),
                                 formatProgramConfig(config));
}

bool saveCalibrationConfig(const std::string& appFolder, const CalibrationConfig& config) {
    return replaceFileAtomically(joinPath(appFolder, kCalibrationConfigFile),
                                 formatCalibrationConfig(config));
}

void installDefaultSettings(const std::string& appFolder) {
    if (!fileExists(joinPath(appFolder, kProgramConfigFile)))
        saveProgramConfig(appFolder, defaultProgramConfig());
    if (!fileExists(joinPath(appFolder, kCalibrationConfigFile)))
        saveCalibrationConfig(appFolder, defaultCalibrationConfig());
}

} // namespace korvane
