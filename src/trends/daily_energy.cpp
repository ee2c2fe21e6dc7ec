#include "daily_energy.h"

#include <algorithm>

namespace korvane {

EnergySummary summariseEnergy(const std::vector<DayTotal>& days, DateRange range) {
    EnergySummary s;
    const std::vector<int> dates = datesOf(range);
    s.bars.reserve(dates.size());
    auto day = days.begin();
    double largest = 0;
    for (int date : dates) {
        EnergyBar bar;
        bar.date = date;
        while (day != days.end() && day->date < date)
            ++day;
        if (day != days.end() && day->date == date) {
            bar.wattsMax = day->wattsMax;
            bar.loadOnMinutes = day->loadOnMinutes;
            // A date with minutes but no energy sum cannot come from the
            // recorder; it is treated like an imported one rather than as 0.
            if (day->minutes > 0 && day->wh) {
                bar.kind = DayEnergyKind::Known;
                bar.wh = *day->wh;
                s.totalWh += bar.wh;
                ++s.knownDays;
                largest = std::max(largest, bar.wh);
            } else {
                bar.kind = DayEnergyKind::Unknown;
                ++s.unknownDays;
            }
        }
        s.bars.push_back(bar);
    }
    s.meanWh = s.knownDays > 0 ? s.totalWh / s.knownDays : 0.0;
    s.kwh = largest > 10000;
    return s;
}

double energyInUnit(double wh, bool kwh) {
    return kwh ? roundHalfEven(wh / 1000, 3) : roundHalfEven(wh, 2);
}

std::string energyText(double wh, bool kwh, const NumberFormat& fmt) {
    return formatGeneral(energyInUnit(wh, kwh), fmt) + (kwh ? " kWh" : " Wh");
}

std::string energyHeadline(const EnergySummary& s, const NumberFormat& fmt) {
    const auto days = [](int n) { return std::to_string(n) + (n == 1 ? " day" : " days"); };
    std::string text = "Total " + energyText(s.totalWh, s.kwh, fmt) + " over " + days(s.knownDays) +
                       ", mean " + energyText(s.meanWh, s.kwh, fmt) + " a day";
    if (s.unknownDays > 0)
        text += " (" + days(s.unknownDays) + " from imported logs, energy unknown)";
    return text;
}

} // namespace korvane
