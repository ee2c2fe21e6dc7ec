#pragma once
// turbine.cfg: what it takes to tell the turbine's own output from the net
// current the board measures (the load's current and everything else's),
// the maker's power curve, and a reference period to compare with.  Held
// as the texts between the tags; numbers are written with a dot.

#include "date_range.h"
#include "maker_curve.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

namespace turbine_keys {
inline constexpr std::string_view LoadAmps = "LoadAmps";
inline constexpr std::string_view IdleAmps = "IdleAmps";
inline constexpr std::string_view MakerCurve = "MakerCurve";
inline constexpr std::string_view RefFrom = "RefFrom";
inline constexpr std::string_view RefTo = "RefTo";
} // namespace turbine_keys

inline constexpr std::string_view kTurbineConfigFile = "/turbine.cfg";
inline constexpr double kMaxAmps = 1000; // A: a current above this is a typing error

struct TurbineConfig {
    std::string LoadAmps = "0";
    std::string IdleAmps = "0";
    std::string MakerCurve; // "12:0 15:60 20:150"; empty for none
    std::string RefFrom;    // "2026-06-01"; empty for none
    std::string RefTo;
    bool operator==(const TurbineConfig&) const = default;
};

// Every key by the tag rule, "&amp;" "&lt;" "&gt;" turned back; a missing
// key keeps its default.
TurbineConfig parseTurbineConfig(std::string_view fileText);
// "Turbine Config File", an empty line, the five tag lines and an empty
// line, each ending in CR LF.
std::string formatTurbineConfig(const TurbineConfig& config);

// A missing or unreadable file gives the defaults.
TurbineConfig loadTurbineConfig(const std::string& appFolder);
// Atomic replacement; 0 or the errno of the failure (the old file untouched).
int saveTurbineConfig(const std::string& appFolder, const TurbineConfig& config);

// What the numbers are used as.
struct TurbineSettings {
    double loadAmps = 0;           // A drawn while the load is on
    double idleAmps = 0;           // A drawn all the time by everything else
    std::vector<CurvePoint> maker; // empty: no maker's curve
    std::optional<DateRange> reference;
};

// The first field a user must mend, as a sentence naming it; empty when
// all are good.  Currents must be numbers from 0 to 1,000 A; the curve as
// parseMakerCurve takes it; the reference dates both empty or both ISO
// dates ("2026-06-01").
std::string turbineConfigProblem(const TurbineConfig& config);

// The settings, a field with a problem taking its default (0 A, no curve,
// no reference); `problem`, when given, receives turbineConfigProblem's
// sentence.  Reference dates come in order.
TurbineSettings turbineSettings(const TurbineConfig& config, std::string* problem = nullptr);

// 20260601 for "2026-06-01"; nothing for anything else or a date that does
// not exist.
std::optional<int> parseIsoDate(std::string_view text);

} // namespace korvane
