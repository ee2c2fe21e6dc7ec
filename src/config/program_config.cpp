#include "program_config.h"

#include "tag_value.h"

namespace korvane {

namespace {

struct Field {
    std::string_view key;
    std::string ProgramConfig::*member;
};

constexpr Field kFields[] = {
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
    ProgramConfig config = defaultProgramConfig();
    for (const auto& f : kFields)
        if (auto v = tagValue(fileText, f.key))
            config.*f.member = std::string(*v);
    return config;
}

std::string formatProgramConfig(const ProgramConfig& config) {
    std::string text = "Program Config File\r\n\r\n";
    for (const auto& f : kFields) {
        text += '<';
        text += f.key;
        text += '>';
        text += config.*f.member;
        text += "</";
        text += f.key;
        text += ">\r\n";
    }
    text += "\r\n";
    return text;
}

} // namespace korvane
