#include "maker_curve.h"

#include "platform/numbers.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace korvane {

double curveWattsAt(std::span<const CurvePoint> curve, double wind) {
    if (!insideCurve(curve, wind))
        return 0;
    const auto after = std::upper_bound(curve.begin(), curve.end(), wind,
                                        [](double w, const CurvePoint& p) { return w < p.wind; });
    if (after == curve.end())
        return curve.back().watts;
    const CurvePoint& hi = *after;
    const CurvePoint& lo = *(after - 1);
    return lo.watts + (hi.watts - lo.watts) * (wind - lo.wind) / (hi.wind - lo.wind);
}

bool insideCurve(std::span<const CurvePoint> curve, double wind) {
    return curve.size() >= 2 && wind >= curve.front().wind && wind <= curve.back().wind;
}

namespace {

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A dot or a comma: files move between machines of either convention, and
// neither can mean anything else inside one number here.
std::optional<double> looseNumber(std::string_view text) {
    if (auto v = parseNumber(text, NumberFormat{'.'}))
        return v;
    return parseNumber(text, NumberFormat{','});
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

} // namespace

ParsedCurve parseCurveRows(std::span<const CurveTextRow> rows, std::string_view where,
                           double windFactor) {
    ParsedCurve out;
    const auto refuse = [&](const CurveTextRow& r, const std::string& what) {
        out.points.clear();
        out.problem = std::string(where) + " " + std::to_string(r.number) + ": " + what;
        return out;
    };
    for (const CurveTextRow& r : rows) {
        const auto wind = looseNumber(r.wind);
        if (!wind)
            return refuse(r, "the wind speed " + quoted(trimmed(r.wind)) + " is not a number.");
        const auto watts = looseNumber(r.watts);
        if (!watts)
            return refuse(r, "the watts " + quoted(trimmed(r.watts)) + " are not a number.");
        const double w = *wind * windFactor;
        if (!std::isfinite(w))
            return refuse(r, "the wind speed " + quoted(trimmed(r.wind)) + " is too large.");
        if (w < 0)
            return refuse(r, "the wind speed " + std::string(trimmed(r.wind)) + " is negative.");
        if (*watts < 0)
            return refuse(r, "the watts " + std::string(trimmed(r.watts)) + " are negative.");
        if (!out.points.empty() && w <= out.points.back().wind)
            return refuse(r, "the wind speed " + std::string(trimmed(r.wind)) +
                                 " is not above the one before; wind speeds must increase.");
        out.points.push_back({w, *watts});
    }
    if (out.points.size() == 1) {
        out.points.clear();
        out.problem = "The maker's curve needs at least 2 rows of wind speed and watts.";
    }
    return out;
}

ParsedCurve parseMakerCurve(std::string_view text) {
    std::vector<CurveTextRow> rows;
    std::size_t at = 0;
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (at < text.size()) {
        if (blank(text[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !blank(text[end]))
            ++end;
        const std::string_view pair = text.substr(at, end - at);
        const auto colon = pair.find(':');
        CurveTextRow row{static_cast<int>(rows.size()) + 1, std::string(pair.substr(0, colon)),
                         colon == std::string_view::npos ? std::string()
                                                         : std::string(pair.substr(colon + 1))};
        rows.push_back(std::move(row));
        at = end;
    }
    return parseCurveRows(rows, "Maker's curve, pair");
}

std::string formatMakerCurve(std::span<const CurvePoint> curve) {
    std::string out;
    for (const CurvePoint& p : curve) {
        if (!out.empty())
            out += ' ';
        out += formatGeneral(p.wind, NumberFormat{'.'}) + ":" +
               formatGeneral(p.watts, NumberFormat{'.'});
    }
    return out;
}

namespace {

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t from = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
            lines.push_back(text.substr(from, i - from));
            if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n')
                ++i;
            from = i + 1;
        }
    }
    return lines;
}

std::vector<std::string> splitFields(std::string_view line, char separator) {
    std::vector<std::string> fields;
    std::string field;
    bool inQuotes = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                inQuotes = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            inQuotes = true;
        } else if (c == separator) {
            fields.push_back(std::move(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(std::move(field));
    return fields;
}

} // namespace

ParsedCurve parseCurveCsv(std::string_view text, double windFactor) {
    const std::vector<std::string_view> lines = splitLines(text);
    // A semicolon or a tab anywhere means the commas are decimal commas.
    char separator = ',';
    if (text.find(';') != std::string_view::npos)
        separator = ';';
    else if (text.find('\t') != std::string_view::npos)
        separator = '\t';
    std::vector<CurveTextRow> rows;
    bool first = true;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> fields = splitFields(lines[i], separator);
        // Spreadsheets pad rows with empty cells.
        while (!fields.empty() && trimmed(fields.back()).empty())
            fields.pop_back();
        if (fields.empty())
            continue;
        const int number = static_cast<int>(i) + 1;
        if (first) {
            first = false;
            if (!looseNumber(fields[0]))
                continue;
        }
        if (fields.size() != 2) {
            ParsedCurve bad;
            bad.problem = "line " + std::to_string(number) + ": " + std::to_string(fields.size()) +
                          " columns, where the file should have two (wind speed, watts).";
            return bad;
        }
        rows.push_back({number, fields[0], fields[1]});
    }
    if (rows.empty()) {
        ParsedCurve none;
        none.problem = "The file holds no rows of wind speed and watts.";
        return none;
    }
    return parseCurveRows(rows, "line", windFactor);
}

std::string_view windUnitName(WindUnit unit) {
    switch (unit) {
    case WindUnit::MetresPerSecond:
        return "m/s";
    case WindUnit::KilometresPerHour:
        return "km/h";
    case WindUnit::MilesPerHour:
        return "mph";
    case WindUnit::Knots:
        break;
    }
    return "knots";
}

std::optional<WindUnit> windUnitOf(std::string_view text) {
    std::string t(trimmed(text));
    std::transform(t.begin(), t.end(), t.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    if (t == "m/s" || t == "ms" || t == "mps")
        return WindUnit::MetresPerSecond;
    if (t == "km/h" || t == "kmh" || t == "kph" || t == "km/hr")
        return WindUnit::KilometresPerHour;
    if (t == "mph")
        return WindUnit::MilesPerHour;
    if (t == "knots" || t == "knot" || t == "kn" || t == "kt" || t == "kts")
        return WindUnit::Knots;
    return std::nullopt;
}

namespace {

double metresPerSecond(WindUnit unit) {
    switch (unit) {
    case WindUnit::MetresPerSecond:
        return 1;
    case WindUnit::KilometresPerHour:
        return 1 / 3.6;
    case WindUnit::MilesPerHour:
        return 0.44704;
    case WindUnit::Knots:
        break;
    }
    return 1852.0 / 3600.0;
}

} // namespace

double windFactor(WindUnit from, WindUnit to) {
    return from == to ? 1.0 : metresPerSecond(from) / metresPerSecond(to);
}

} // namespace korvane
