#pragma once
// Small stores of hand-made minutes whose totals are known by heart.

#include "store/history_store.h"
#include "trends/date_range.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace korvane::test {

// One minute with packets at `minuteOfDay` of the UTC date.
inline MinuteSummary minuteOf(int date, int minuteOfDay, double wind, double watts, double wh,
                              double voltsMin = 12.5, double voltsMax = 13.5) {
    MinuteSummary m;
    m.ts = daySerialSeconds(date) + minuteOfDay * 60LL;
    m.date = date;
    m.packets = 6;
    m.volts = {voltsMin, (voltsMin + voltsMax) / 2, voltsMax};
    m.amps = {0, watts / 13, watts / 12};
    m.watts = {0, watts, watts * 1.5};
    m.rpmMean = wind * 20;
    m.rpmMax = wind * 25;
    m.windMean = wind;
    m.windMax = wind + 2;
    m.loadOnMs = 30000;
    m.wh = wh;
    return m;
}

inline void writeMinutes(const std::string& path, const std::vector<MinuteSummary>& minutes) {
    auto opened = HistoryStore::open(path, 20260301);
    ASSERT_TRUE(opened.result.ok()) << opened.result.text;
    ASSERT_TRUE(opened.store->commitMinutes(minutes).ok());
}

} // namespace korvane::test
