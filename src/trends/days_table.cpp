#include "days_table.h"

#include "number_text.h"

#include <cstdio>

namespace korvane {

std::vector<std::string> dayColumnTitles(const std::string& windUnits) {
    return {"Day",           "Energy (Wh)", "Min volts",
            "Max volts",     "Peak watts",  "Max wind (" + windUnits + ")",
            "Load on (min)", "Packets",     "Index (%)"};
}

int dayColumnDecimals(DayColumn column) {
    switch (column) {
    case DayColumn::Day:
    case DayColumn::Packets:
        return 0;
    case DayColumn::WindMax:
    case DayColumn::Index:
        return 1;
    default:
        return 2;
    }
}

std::string isoDate(int date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date / 10000 % 10000, date / 100 % 100,
                  date % 100);
    return text;
}

std::optional<double> dayCellValue(const DayTotal& day, DayColumn column,
                                   std::optional<double> index) {
    const auto rounded = [](const std::optional<double>& v, int decimals) -> std::optional<double> {
        if (!v)
            return std::nullopt;
        return roundHalfEven(*v, decimals);
    };
    switch (column) {
    case DayColumn::Day:
        return day.date;
    case DayColumn::Energy:
        return day.minutes > 0 ? rounded(day.wh, 2) : std::nullopt;
    case DayColumn::VoltsMin:
        return rounded(day.voltsMin, 2);
    case DayColumn::VoltsMax:
        return rounded(day.voltsMax, 2);
    case DayColumn::WattsMax:
        return rounded(day.wattsMax, 2);
    case DayColumn::WindMax:
        return rounded(day.windMax, 1);
    case DayColumn::LoadOnMinutes:
        return rounded(day.loadOnMinutes, 2);
    case DayColumn::Packets:
        if (!day.packets)
            return std::nullopt;
        return static_cast<double>(*day.packets);
    case DayColumn::Index:
        return rounded(index, 1);
    }
    return std::nullopt;
}

std::string dayCellText(const DayTotal& day, DayColumn column, const NumberFormat& fmt,
                        std::optional<double> index) {
    if (column == DayColumn::Day)
        return isoDate(day.date);
    const std::optional<double> v = dayCellValue(day, column, index);
    return v ? formatGeneral(*v, fmt) : std::string();
}

std::string dayCellFixedText(const DayTotal& day, DayColumn column, const NumberFormat& fmt,
                             std::optional<double> index) {
    if (column == DayColumn::Day)
        return isoDate(day.date);
    const std::optional<double> v = dayCellValue(day, column, index);
    return v ? fixedText(*v, dayColumnDecimals(column), fmt) : std::string();
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string daysCsv(const std::vector<DayTotal>& days, const std::string& windUnits,
                    const std::vector<std::optional<double>>& indexes) {
    const NumberFormat point{'.'};
    std::string out;
    const auto row = [&](const auto& cell) {
        for (int c = 0; c < kDayColumns; ++c) {
            if (c > 0)
                out += ',';
            out += csvField(cell(c));
        }
        out += "\r\n";
    };
    const std::vector<std::string> titles = dayColumnTitles(windUnits);
    row([&](int c) { return titles[static_cast<std::size_t>(c)]; });
    for (std::size_t i = 0; i < days.size(); ++i) {
        const std::optional<double> index = i < indexes.size() ? indexes[i] : std::nullopt;
        row([&](int c) { return dayCellText(days[i], static_cast<DayColumn>(c), point, index); });
    }
    return out;
}

} // namespace korvane
