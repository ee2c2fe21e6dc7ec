// The alarm rules against known answers, driven by a fake clock.

#include "alarms/alarm_rules.h"

#include <cmath>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace korvane {
namespace {

constexpr LocalDateTime kStart{2026, 3, 14, 14, 0, 0, 0};

// What the changes of one call were, as text: "" for none, "R11.4" for a
// raise with value 11.4, "C12" for a clear; several are joined by blanks.
std::string describe(const AlarmChanges& changes) {
    std::string out;
    for (const AlarmChange& c : changes) {
        if (!out.empty())
            out += ' ';
        std::string v = std::to_string(c.value);
        v.erase(v.find_last_not_of('0') + 1);
        if (v.back() == '.')
            v.pop_back();
        out += (c.raised ? "R" : "C") + v;
    }
    return out;
}

AlarmSettings levelsOn() {
    AlarmSettings s;
    s.levels[index(AlarmKind::BatteryLow)] = {true, 11.5, 12.0};
    s.levels[index(AlarmKind::BatteryHigh)] = {true, 14.8, 14.2};
    s.levels[index(AlarmKind::CurrentHigh)] = {true, 30, 25};
    s.levels[index(AlarmKind::RpmHigh)] = {true, 1500, 1200};
    s.levels[index(AlarmKind::WindHigh)] = {true, 25, 20};
    s.noDataOn = true;
    s.noDataMinutes = 5;
    s.holdSeconds = 10;
    s.outputLow = {true, 85, 90};
    return s;
}

// A reading that passes no level of levelsOn() except the one field set.
Reading calm() {
    Reading r;
    r.volts = 12.6;
    r.amps = 5;
    r.rpm = 300;
    r.windSpeed = 8;
    return r;
}

class Rig {
public:
    explicit Rig(AlarmSettings s = levelsOn()) : clock_(kStart), engine_(s, clock_.utcMs()) {}

    LiveTime at(long secondsAfterStart) {
        clock_.set(kStart);
        clock_.advanceSeconds(secondsAfterStart);
        return {clock_.now(), clock_.utcMs(), {}};
    }
    std::string packet(long t, const Reading& r) { return describe(engine_.packet(r, at(t))); }
    std::string tick(long t) { return describe(engine_.tick(at(t))); }
    AlarmEngine& engine() { return engine_; }

private:
    FakeClock clock_;
    AlarmEngine engine_;
};

struct Step {
    long t;       // seconds after the start
    double value; // of the case's field
    const char* expect;
};

struct LevelCase {
    const char* name;
    AlarmKind kind;
    std::vector<Step> steps;
};

Reading with(AlarmKind kind, double v) {
    Reading r = calm();
    switch (kind) {
    case AlarmKind::BatteryLow:
    case AlarmKind::BatteryHigh:
        r.volts = v;
        break;
    case AlarmKind::CurrentHigh:
        r.amps = v;
        break;
    case AlarmKind::RpmHigh:
        r.rpm = v;
        break;
    default:
        r.windSpeed = v;
        break;
    }
    return r;
}

TEST(AlarmRules, LevelsWithHysteresisAndHoldTime) {
    const LevelCase cases[] = {
        {"a single noisy packet never alarms",
         AlarmKind::BatteryLow,
         {{0, 12.5, ""}, {1, 10.0, ""}, {2, 12.5, ""}, {30, 12.5, ""}}},
        {"raises once the condition held for the hold time",
         AlarmKind::BatteryLow,
         {{0, 11.4, ""}, {5, 11.3, ""}, {9, 11.4, ""}, {10, 11.42, "R11.42"}, {11, 11.0, ""}}},
        {"a break before the hold time restarts it, even inside the band",
         AlarmKind::BatteryLow,
         {{0, 11.4, ""}, {8, 11.6, ""}, {9, 11.4, ""}, {18, 11.4, ""}, {19, 11.4, "R11.4"}}},
        {"the set level itself is not beyond it",
         AlarmKind::BatteryLow,
         {{0, 11.5, ""}, {30, 11.5, ""}}},
        {"clears only at the clear level, not in the band",
         AlarmKind::BatteryLow,
         {{0, 11.0, ""},
          {10, 11.0, "R11"},
          {11, 11.9, ""},
          {12, 11.99, ""},
          {13, 12.0, "C12"},
          {14, 11.6, ""},
          {15, 11.4, ""},
          {25, 11.4, "R11.4"}}},
        {"battery high",
         AlarmKind::BatteryHigh,
         {{0, 14.9, ""}, {10, 14.9, "R14.9"}, {11, 14.3, ""}, {12, 14.2, "C14.2"}}},
        {"current high",
         AlarmKind::CurrentHigh,
         {{0, 30, ""}, {1, 31, ""}, {11, 32, "R32"}, {12, 25.5, ""}, {13, 24, "C24"}}},
        {"rpm high",
         AlarmKind::RpmHigh,
         {{0, 1600, ""}, {10, 1650, "R1650"}, {11, 1300, ""}, {12, 1200, "C1200"}}},
        {"wind high",
         AlarmKind::WindHigh,
         {{0, 26, ""}, {10, 27.5, "R27.5"}, {11, 21, ""}, {12, 19.9, "C19.9"}}},
    };
    for (const LevelCase& c : cases) {
        Rig rig;
        for (const Step& s : c.steps)
            EXPECT_EQ(rig.packet(s.t, with(c.kind, s.value)), s.expect)
                << c.name << " at " << s.t << " s";
    }
}

TEST(AlarmRules, SwitchedOffLevelsNeverRaise) {
    AlarmSettings s = levelsOn();
    s.levels[index(AlarmKind::BatteryLow)].on = false;
    Rig rig(s);
    for (long t = 0; t <= 60; ++t)
        EXPECT_EQ(rig.packet(t, with(AlarmKind::BatteryLow, 10.0)), "") << t;
}

TEST(AlarmRules, ZeroHoldRaisesOnTheFirstPacket) {
    AlarmSettings s = levelsOn();
    s.holdSeconds = 0;
    Rig rig(s);
    EXPECT_EQ(rig.packet(0, with(AlarmKind::RpmHigh, 1501)), "R1501");
}

TEST(AlarmRules, OnePacketCanRaiseSeveralInKindOrder) {
    Rig rig;
    Reading storm = calm();
    storm.volts = 15;
    storm.rpm = 1800;
    storm.windSpeed = 30;
    rig.packet(0, storm);
    EXPECT_EQ(rig.packet(10, storm), "R15 R1800 R30");
}

TEST(AlarmRules, ClockSetBackDoesNotStretchTheHold) {
    Rig rig;
    rig.packet(3600, with(AlarmKind::BatteryLow, 11.0));
    // The clock steps back an hour; the hold counts from the step.
    EXPECT_EQ(rig.packet(5, with(AlarmKind::BatteryLow, 11.0)), "");
    EXPECT_EQ(rig.packet(15, with(AlarmKind::BatteryLow, 11.0)), "R11");
}

struct NoDataStep {
    long t;
    char what; // 'P' packet, 'T' tick
    const char* expect;
};

TEST(AlarmRules, NoDataCountsFromTheStartAndFromEachPacket) {
    const std::vector<NoDataStep> steps = {
        {5, 'T', ""},   {295, 'T', ""},   {300, 'T', "R5"}, {305, 'T', ""},     {500, 'P', "C8"},
        {795, 'T', ""}, {800, 'T', "R5"}, {1460, 'T', ""},  {1461, 'P', "C16"}, {1465, 'T', ""},
    };
    Rig rig;
    for (const NoDataStep& s : steps) {
        const std::string got = s.what == 'P' ? rig.packet(s.t, calm()) : rig.tick(s.t);
        EXPECT_EQ(got, s.expect) << s.what << " at " << s.t << " s";
    }
}

TEST(AlarmRules, NoDataSwitchedOffNeverRaises) {
    AlarmSettings s = levelsOn();
    s.noDataOn = false;
    Rig rig(s);
    EXPECT_EQ(rig.tick(3600), "");
    EXPECT_EQ(rig.tick(86400), "");
}

TEST(AlarmRules, LogNotWrittenFollowsTheBacklogWithoutASwitch) {
    AlarmSettings off; // every switch off
    Rig rig(off);
    EXPECT_EQ(describe(rig.engine().logBacklog(3, rig.at(0))), "R3");
    EXPECT_EQ(describe(rig.engine().logBacklog(5, rig.at(60))), "");
    EXPECT_EQ(rig.engine().state(AlarmKind::LogNotWritten).value, 3);
    EXPECT_EQ(describe(rig.engine().logBacklog(0, rig.at(120))), "C0");
    EXPECT_FALSE(rig.engine().anyActive());
}

TEST(AlarmRules, SwitchingOffClearsWithTheLastValueAndRestartsHolds) {
    Rig rig;
    rig.packet(0, with(AlarmKind::BatteryLow, 11.0));
    rig.packet(10, with(AlarmKind::BatteryLow, 11.0));
    Reading r = with(AlarmKind::BatteryLow, 11.3);
    r.rpm = 1600; // the RPM hold starts
    rig.packet(11, r);
    AlarmSettings s = levelsOn();
    s.levels[index(AlarmKind::BatteryLow)].on = false;
    EXPECT_EQ(describe(rig.engine().setSettings(s, rig.at(12))), "C11.3");
    // The RPM hold began under the old settings and starts again.
    EXPECT_EQ(rig.packet(21, with(AlarmKind::RpmHigh, 1600)), "");
    EXPECT_EQ(rig.packet(31, with(AlarmKind::RpmHigh, 1600)), "R1600");
}

TEST(AlarmRules, OutputLowRaisesBelowItsLevelAndClearsAtItsClearLevel) {
    struct IndexStep {
        std::optional<double> percent;
        const char* expect;
    };
    const IndexStep steps[] = {
        {92, ""},    {85, ""},           {84.9, "R84.9"}, {70, ""},  {std::nullopt, ""}, {89.9, ""},
        {90, "C90"}, {std::nullopt, ""}, {80, "R80"},     {NAN, ""}, {100.5, "C100.5"},
    };
    Rig rig;
    long t = 0;
    for (const IndexStep& s : steps) {
        t += 86400;
        EXPECT_EQ(describe(rig.engine().outputIndex(s.percent, rig.at(t))), s.expect)
            << (s.percent ? *s.percent : -1) << " on day " << t / 86400;
    }
    AlarmSettings off = levelsOn();
    off.outputLow.on = false;
    Rig quiet(off);
    EXPECT_EQ(describe(quiet.engine().outputIndex(10, quiet.at(0))), "");
}

TEST(AlarmRules, RestoredNoDataCountsItsSilenceFromBeforeTheRaise) {
    Rig rig;
    const LiveTime raised = rig.at(-120); // raised 2 min before the start, 5 min into the silence
    rig.engine().restore(AlarmKind::NoData, 5, raised.local, raised.utcMs);
    EXPECT_EQ(rig.tick(300), ""); // still active: no second raise
    EXPECT_EQ(rig.packet(600, calm()), "C17");
}

} // namespace
} // namespace korvane
