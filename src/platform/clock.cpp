#include "clock.h"

#include <chrono>
#include <ctime>

namespace korvane {

LocalDateTime SystemClock::now() const {
    using namespace std::chrono;
    const auto tp = system_clock::now();
    const std::time_t t = system_clock::to_time_t(tp);
    std::tm tm{};
    localtime_r(&t, &tm);
    const auto ms = duration_cast<milliseconds>(tp.time_since_epoch()).count() % 1000;
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,          tm.tm_hour,
            tm.tm_min,         tm.tm_sec,     static_cast<int>(ms)};
}

std::int64_t SystemClock::utcMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::monotonicMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t FakeClock::utcMs() const {
    using namespace std::chrono;
    const year_month_day ymd{year{time_.year}, month{static_cast<unsigned>(time_.month)},
                             day{static_cast<unsigned>(time_.day)}};
    const std::int64_t days = sys_days{ymd}.time_since_epoch().count();
    const std::int64_t localSeconds =
        days * 86400 + time_.hour * 3600 + time_.minute * 60 + time_.second;
    return (localSeconds - offsetMinutes_ * 60LL) * 1000 + time_.millisecond;
}

void FakeClock::setUtcOffsetMinutes(int minutes) {
    const int change = minutes - offsetMinutes_;
    offsetMinutes_ = minutes;
    jumpWallClockSeconds(change * 60L);
}

void FakeClock::advanceSeconds(long seconds) {
    jumpWallClockSeconds(seconds);
    monotonicMs_ += seconds * 1000LL;
}

void FakeClock::jumpWallClockSeconds(long seconds) {
    using namespace std::chrono;
    const year_month_day ymd{year{time_.year}, month{static_cast<unsigned>(time_.month)},
                             day{static_cast<unsigned>(time_.day)}};
    long total = time_.hour * 3600L + time_.minute * 60L + time_.second + seconds;
    long days = total / 86400;
    total %= 86400;
    if (total < 0) {
        total += 86400;
        --days;
    }
    const year_month_day next{sys_days{ymd} + std::chrono::days{days}};
    time_.year = static_cast<int>(next.year());
    time_.month = static_cast<int>(static_cast<unsigned>(next.month()));
    time_.day = static_cast<int>(static_cast<unsigned>(next.day()));
    time_.hour = static_cast<int>(total / 3600);
    time_.minute = static_cast<int>(total / 60 % 60);
    time_.second = static_cast<int>(total % 60);
}

} // namespace korvane
