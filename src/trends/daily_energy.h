#pragma once
// One energy bar per date of a range, the range's total and daily mean, and
// the unit they are written in.

#include "date_range.h"
#include "platform/numbers.h"
#include "store/history_store.h"

#include <optional>
#include <string>
#include <vector>

namespace korvane {

enum class DayEnergyKind {
    Known,    // the date has stored minutes: wh is their sum (0 is a real 0)
    Unknown,  // known only from an imported log: energy was never measured
    NoRecord, // nothing stored for the date
};

struct EnergyBar {
    int date = 0; // yyyymmdd
    DayEnergyKind kind = DayEnergyKind::NoRecord;
    double wh = 0; // 0 unless Known
    std::optional<double> wattsMax;
    std::optional<double> loadOnMinutes;
};

struct EnergySummary {
    std::vector<EnergyBar> bars; // every date of the range, oldest first
    double totalWh = 0;          // sum over the Known dates
    double meanWh = 0;           // totalWh / knownDays; 0 when none
    int knownDays = 0;
    int unknownDays = 0;
    bool kwh = false; // the largest bar passes 10,000 Wh: write kWh
};

// `days` as dayTotals returns them (oldest first, dates outside the range
// ignored).
EnergySummary summariseEnergy(const std::vector<DayTotal>& days, DateRange range);

// The value in the summary's unit: Wh rounded to 0.01, or kWh to 0.001.
double energyInUnit(double wh, bool kwh);
// "1234.5 Wh" or "12.346 kWh", with the user's decimal separator.
std::string energyText(double wh, bool kwh, const NumberFormat& fmt);

// "Total 12.346 kWh over 30 days, mean 411.533 kWh a day (2 days unknown)".
std::string energyHeadline(const EnergySummary& s, const NumberFormat& fmt);

} // namespace korvane
