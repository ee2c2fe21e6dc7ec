#pragma once
// prog.cfg: the program options, held as the texts found between the tags.

#include <string>
#include <string_view>

namespace korvane {

namespace keys {
inline constexpr std::string_view Port = "Port";
inline constexpr std::string_view Savehtml = "Savehtml";
inline constexpr std::string_view SaveExcel = "SaveExcel";
inline constexpr std::string_view LogDelay = "LogDelay";
inline constexpr std::string_view LogOn = "LogOn";
inline constexpr std::string_view DisplayRPM = "DisplayRPM";
inline constexpr std::string_view DisplayWS = "DisplayWS";
inline constexpr std::string_view WSUnits = "WSUnits";
} // namespace keys

inline constexpr std::string_view kProgramConfigFile = "/prog.cfg";

struct ProgramConfig {
    std::string Port;
    std::string Savehtml;
    std::string SaveExcel;
    std::string LogDelay;
    std::string LogOn;
    std::string DisplayRPM;
    std::string DisplayWS;
    std::string WSUnits;
    bool operator==(const ProgramConfig&) const = default;
};

// What a fresh installation uses: port 1, outputs off, 60 s interval, logging
// not started automatically, RPM and wind speed rows hidden, km/h.
ProgramConfig defaultProgramConfig();

// Reads every key by the tag rule.  A key that is missing (or whose closing
// tag comes first) takes its default text, so a damaged or partial file still
// gives a working program; a key that is present keeps its text untouched,
// even when empty.
ProgramConfig parseProgramConfig(std::string_view fileText);

// The exact bytes of prog.cfg: "Program Config File", an empty line, the
// eight tag lines, and a final empty line; every line ends with CR LF.
std::string formatProgramConfig(const ProgramConfig& config);

} // namespace korvane
