#pragma once
// The energy bars of a range (one a day, or one a week or a month when the
// range is too long for a bar a day), the range's total and daily mean, and
// the unit they are written in.  Today is still under way: its bar is
// marked, and the daily mean leaves it out (the total keeps it).

#include "date_range.h"
#include "platform/numbers.h"
#include "store/history_store.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

enum class DayEnergyKind {
    Known,    // a date of the bar has stored minutes: wh is their sum (0 is a real 0)
    Unknown,  // its dates are known only from imported logs: energy was never measured
    NoRecord, // nothing stored for its dates
};

enum class BarSpan { Day, Week, Month };
inline constexpr int kMaxDailyBars = 1500;  // dates; about 4 years
inline constexpr int kMaxWeeklyBars = 6000; // dates; about 16 years, under 860 bars
inline constexpr int kMaxRangeDays = 40000; // dates; about 109 years, under 1320 monthly bars

// The bar a range of `dates` dates is drawn with; nothing when it is too
// long to draw at all.
std::optional<BarSpan> barSpanFor(int dates);

struct EnergyBar {
    int date = 0;     // first date of the bar, yyyymmdd
    int lastDate = 0; // last date of the bar (the same for a day's bar)
    DayEnergyKind kind = DayEnergyKind::NoRecord;
    double wh = 0; // sum over the Known dates; 0 unless Known
    int knownDays = 0;
    int unknownDays = 0;
    bool today = false;                  // holds today's date, and today has minutes
    std::optional<double> wattsMax;      // the highest of its dates
    std::optional<double> loadOnMinutes; // summed over its dates
};

struct EnergySummary {
    BarSpan span = BarSpan::Day;
    bool tooLong = false;        // more than kMaxRangeDays dates: no bars
    std::vector<EnergyBar> bars; // covering every date of the range, oldest first
    double totalWh = 0;          // sum over the Known dates, today's so far included
    double meanWh = 0;           // over the Known dates before today; 0 when none
    int knownDays = 0;
    int unknownDays = 0;
    int meanDays = 0;              // Known dates in the mean
    std::optional<double> todayWh; // today's energy so far, when today is a Known date of the range
    bool kwh = false;              // the largest bar passes 10,000 Wh: write bars in kWh
    bool totalKwh = false;         // the total passes 10,000 Wh: write the headline in kWh
};

// `days` as dayTotals returns them (oldest first, dates outside the range
// ignored).  `today` (yyyymmdd; 0 for none) is the date still under way.
EnergySummary summariseEnergy(const std::vector<DayTotal>& days, DateRange range, int today = 0);

// The value in the summary's unit: Wh rounded to 0.01, or kWh to 0.001.
double energyInUnit(double wh, bool kwh);
// "1234.5 Wh" or "12.346 kWh", with the user's decimal separator.
std::string energyText(double wh, bool kwh, const NumberFormat& fmt);

// "Total 64.86 kWh over 30 days, mean 2.16 kWh a day (not counting today,
// 1.2 kWh so far) (2 days from imported logs, energy unknown)": in kWh to
// 0.01 once the total passes 10,000 Wh, else in Wh to 0.01, with `group`
// between digit groups.
std::string energyHeadline(const EnergySummary& s, const NumberFormat& fmt,
                           std::string_view group = "");

} // namespace korvane
