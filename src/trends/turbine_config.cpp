#include "turbine_config.h"

#include "config/tagged_fields.h"
#include "date_range.h"
#include "platform/files.h"
#include "platform/numbers.h"

#include <charconv>
#include <chrono>

namespace korvane {

namespace {

using C = TurbineConfig;
namespace k = turbine_keys;

constexpr TaggedField<TurbineConfig> kFields[] = {
    {k::LoadAmps, &C::LoadAmps}, {k::IdleAmps, &C::IdleAmps}, {k::MakerCurve, &C::MakerCurve},
    {k::RefFrom, &C::RefFrom},   {k::RefTo, &C::RefTo},
};

std::optional<double> dotOrComma(std::string_view text) {
    if (auto v = parseNumber(text, NumberFormat{'.'}))
        return v;
    return parseNumber(text, NumberFormat{','});
}

// The current, or why not, naming the field as the dialog labels it.
std::optional<double> current(std::string_view text, std::string_view name, std::string& problem) {
    const auto v = dotOrComma(text);
    if (!v) {
        problem = std::string(name) + " \"" + std::string(text) + "\" is not a number.";
        return std::nullopt;
    }
    if (*v < 0 || *v > kMaxAmps) {
        problem = std::string(name) + " must be from 0 to 1,000 A (it is " +
                  formatGeneral(*v, NumberFormat{'.'}) + " A).";
        return std::nullopt;
    }
    return v;
}

std::optional<DateRange> reference(const TurbineConfig& c, std::string& problem) {
    if (c.RefFrom.empty() && c.RefTo.empty())
        return std::nullopt;
    const auto from = parseIsoDate(c.RefFrom);
    const auto to = parseIsoDate(c.RefTo);
    if (!from || !to) {
        problem = "The reference period \"" + c.RefFrom + "\" to \"" + c.RefTo +
                  "\" is not two dates written as yyyy-mm-dd.";
        return std::nullopt;
    }
    return orderedRange(*from, *to);
}

} // namespace

std::optional<int> parseIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const auto number = [&](std::size_t at, std::size_t n) -> std::optional<unsigned> {
        unsigned v = 0;
        const char* first = text.data() + at;
        const auto r = std::from_chars(first, first + n, v);
        if (r.ec != std::errc() || r.ptr != first + n)
            return std::nullopt;
        return v;
    };
    const auto y = number(0, 4), m = number(5, 2), d = number(8, 2);
    if (!y || !m || !d)
        return std::nullopt;
    const std::chrono::year_month_day ymd{std::chrono::year(static_cast<int>(*y)),
                                          std::chrono::month(*m), std::chrono::day(*d)};
    if (!ymd.ok() || *y < 1000)
        return std::nullopt;
    return dateNumber(static_cast<int>(*y), static_cast<int>(*m), static_cast<int>(*d));
}

TurbineConfig parseTurbineConfig(std::string_view fileText) {
    return readEscapedTaggedFields(fileText, TurbineConfig{}, kFields);
}

std::string formatTurbineConfig(const TurbineConfig& config) {
    std::string text = "Turbine Config File\r\n\r\n";
    writeEscapedTaggedLines(text, config, kFields);
    text += "\r\n";
    return text;
}

TurbineConfig loadTurbineConfig(const std::string& appFolder) {
    return parseTurbineConfig(readWholeFile(joinPath(appFolder, kTurbineConfigFile)).value_or(""));
}

int saveTurbineConfig(const std::string& appFolder, const TurbineConfig& config) {
    return replaceFileReportingError(joinPath(appFolder, kTurbineConfigFile),
                                     formatTurbineConfig(config));
}

std::string turbineConfigProblem(const TurbineConfig& config) {
    std::string problem;
    turbineSettings(config, &problem);
    return problem;
}

TurbineSettings turbineSettings(const TurbineConfig& config, std::string* problem) {
    TurbineSettings s;
    std::string first;
    const auto note = [&](const std::string& p) {
        if (first.empty())
            first = p;
    };
    std::string p;
    if (const auto a = current(config.LoadAmps, "The load current", p))
        s.loadAmps = *a;
    else
        note(p);
    p.clear();
    if (const auto a = current(config.IdleAmps, "The other draw", p))
        s.idleAmps = *a;
    else
        note(p);
    ParsedCurve curve = parseMakerCurve(config.MakerCurve);
    if (curve.ok())
        s.maker = std::move(curve.points);
    else
        note(curve.problem);
    p.clear();
    s.reference = reference(config, p);
    if (!p.empty())
        note(p);
    if (problem)
        *problem = first;
    return s;
}

} // namespace korvane
