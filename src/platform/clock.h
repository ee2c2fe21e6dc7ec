#pragma once
// Local date and time, behind an interface so tests can stand at midnight.

#include <compare>
#include <cstdint>

namespace korvane {

struct LocalDateTime {
    int year = 2000;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    // Seconds since local midnight, with the milliseconds as a fraction.
    double secondsSinceMidnight() const {
        return hour * 3600.0 + minute * 60.0 + second + millisecond / 1000.0;
    }
    bool sameDate(const LocalDateTime& other) const {
        return year == other.year && month == other.month && day == other.day;
    }
    auto operator<=>(const LocalDateTime&) const = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
    // The same moment as milliseconds since 1970-01-01 00:00 UTC, for records
    // that must not repeat when the local clock does (daylight saving).
    virtual std::int64_t utcMs() const = 0;
    // Milliseconds on a clock that only moves forward, at a steady rate, from
    // an arbitrary start: for intervals (silence, retries) that must not
    // jump when the wall clock is set at boot or by network time.
    virtual std::int64_t monotonicMs() const = 0;
};

// The machine's local time.
class SystemClock final : public Clock {
public:
    LocalDateTime now() const override;
    std::int64_t utcMs() const override;
    std::int64_t monotonicMs() const override;
};

// A clock that says what the test sets.  Its local time is UTC shifted by an
// offset the test may change, as a daylight-saving switch changes it.
class FakeClock final : public Clock {
public:
    explicit FakeClock(LocalDateTime t = {}) : time_(t) {}
    LocalDateTime now() const override { return time_; }
    std::int64_t utcMs() const override;
    std::int64_t monotonicMs() const override { return monotonicMs_; }
    // Sets the wall clock; the monotonic clock stays where it is.
    void set(const LocalDateTime& t) { time_ = t; }
    // Lets time pass: both clocks move forward by whole seconds, the wall
    // clock rolling over days, months and years.
    void advanceSeconds(long seconds);
    // The wall clock is set forward (or back, for a negative count) while
    // no time passes, as network time does to a PC that booted wrong.
    void jumpWallClockSeconds(long seconds);
    // Local time minus UTC, in minutes (0 unless set).  Changing it moves
    // the local time with the UTC moment kept, as a switch of the clocks does.
    void setUtcOffsetMinutes(int minutes);

private:
    LocalDateTime time_;
    int offsetMinutes_ = 0;
    std::int64_t monotonicMs_ = 1'000'000;
};

} // namespace korvane
