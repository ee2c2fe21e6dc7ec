#include "daily_energy.h"

#include "number_text.h"

#include <algorithm>
#include <chrono>

namespace korvane {

std::optional<BarSpan> barSpanFor(int dates) {
    if (dates <= kMaxDailyBars)
        return BarSpan::Day;
    if (dates <= kMaxWeeklyBars)
        return BarSpan::Week;
    if (dates <= kMaxRangeDays)
        return BarSpan::Month;
    return std::nullopt;
}

namespace {

// Bars group calendar weeks from Monday, or calendar months.
int groupOf(int date, BarSpan span) {
    if (span == BarSpan::Month)
        return date / 100;
    using namespace std::chrono;
    const sys_days d{year_month_day(year(date / 10000),
                                    month(static_cast<unsigned>(date / 100 % 100)),
                                    day(static_cast<unsigned>(date % 100)))};
    // 1970-01-01 was a Thursday: days since the Monday before it, in weeks.
    const auto n = (d.time_since_epoch().count() + 3);
    return static_cast<int>(n >= 0 ? n / 7 : (n - 6) / 7);
}

void add(EnergyBar& into, const EnergyBar& day) {
    into.lastDate = day.date;
    into.knownDays += day.knownDays;
    into.unknownDays += day.unknownDays;
    into.wh += day.wh;
    into.today = into.today || day.today;
    if (day.wattsMax)
        into.wattsMax = std::max(into.wattsMax.value_or(*day.wattsMax), *day.wattsMax);
    if (day.loadOnMinutes)
        into.loadOnMinutes = into.loadOnMinutes.value_or(0) + *day.loadOnMinutes;
    into.kind = into.knownDays > 0     ? DayEnergyKind::Known
                : into.unknownDays > 0 ? DayEnergyKind::Unknown
                                       : DayEnergyKind::NoRecord;
}

} // namespace

EnergySummary summariseEnergy(const std::vector<DayTotal>& days, DateRange range, int today) {
    EnergySummary s;
    const int dateCount = daysBetween(range.from, range.to) + 1;
    const std::optional<BarSpan> span = barSpanFor(dateCount);
    if (!span) {
        s.tooLong = true;
        return s;
    }
    s.span = *span;
    std::vector<EnergyBar> daily;
    daily.reserve(static_cast<std::size_t>(std::max(dateCount, 0)));
    auto day = days.begin();
    for (int date : datesOf(range)) {
        EnergyBar bar;
        bar.date = bar.lastDate = date;
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
                bar.knownDays = 1;
                bar.today = date == today;
                s.totalWh += bar.wh;
                ++s.knownDays;
                if (bar.today)
                    s.todayWh = bar.wh;
            } else {
                bar.kind = DayEnergyKind::Unknown;
                bar.unknownDays = 1;
                ++s.unknownDays;
            }
        }
        daily.push_back(bar);
    }
    if (s.span == BarSpan::Day) {
        s.bars = std::move(daily);
    } else {
        int group = 0;
        for (const EnergyBar& d : daily) {
            const int g = groupOf(d.date, s.span);
            if (s.bars.empty() || g != group) {
                group = g;
                s.bars.push_back(d);
            } else {
                add(s.bars.back(), d);
            }
        }
    }
    double largest = 0;
    for (const EnergyBar& b : s.bars)
        largest = std::max(largest, b.wh);
    s.meanDays = s.knownDays - (s.todayWh ? 1 : 0);
    s.meanWh = s.meanDays > 0 ? (s.totalWh - s.todayWh.value_or(0)) / s.meanDays : 0.0;
    s.kwh = largest > 10000;
    s.totalKwh = s.totalWh > 10000;
    return s;
}

double energyInUnit(double wh, bool kwh) {
    return kwh ? roundHalfEven(wh / 1000, 3) : roundHalfEven(wh, 2);
}

std::string energyText(double wh, bool kwh, const NumberFormat& fmt) {
    return formatGeneral(energyInUnit(wh, kwh), fmt) + (kwh ? " kWh" : " Wh");
}

std::string energyHeadline(const EnergySummary& s, const NumberFormat& fmt,
                           std::string_view group) {
    const auto days = [](int n) { return std::to_string(n) + (n == 1 ? " day" : " days"); };
    const auto energy = [&](double wh) {
        if (s.totalKwh)
            return withDigitGroups(fixedText(wh / 1000, 2, fmt), fmt, group) + " kWh";
        return withDigitGroups(formatGeneral(roundHalfEven(wh, 2), fmt), fmt, group) + " Wh";
    };
    std::string text = "Total " + energy(s.totalWh) + " over " + days(s.knownDays);
    if (s.todayWh && s.meanDays == 0)
        text += ", all of it today so far";
    else
        text += ", mean " + energy(s.meanWh) + " a day";
    if (s.todayWh && s.meanDays > 0)
        text += " (not counting today, " + energy(*s.todayWh) + " so far)";
    if (s.unknownDays > 0)
        text += " (" + days(s.unknownDays) + " from imported logs, energy unknown)";
    return text;
}

} // namespace korvane
