#include "program_config.h"

#include "tagged_fields.h"

namespace korvane {

namespace {

constexpr TaggedField<ProgramConfig> kFields[] = {
    {keys::Port, &ProgramConfig::Port},           {keys::Savehtml, &ProgramConfig::Savehtml},
    {keys::SaveExcel, &ProgramConfig::SaveExcel}, {keys::LogDelay, &ProgramConfig::LogDelay},
    {keys::LogOn, &ProgramConfig::LogOn},         {keys::DisplayRPM, &ProgramConfig::DisplayRPM},
    {keys::DisplayWS, &ProgramConfig::DisplayWS}, {keys::WSUnits, &ProgramConfig::WSUnits},
};

} // namespace

ProgramConfig defaultProgramConfig() {
    return {"1", "0", "0", "60", "0", "0", "0", "km/h"};
}

ProgramConfig parseProgramConfig(std::string_view fileText) {
    return readTaggedFields(fileText, defaultProgramConfig(), kFields);
}

std::string formatProgramConfig(const ProgramConfig& config) {
    std::string text = "Program Config File\r\n\r\n";
    writeTaggedLines(text, config, kFields);
    text += "\r\n";
    return text;
}

} // namespace korvane
