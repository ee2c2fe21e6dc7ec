#include "day_date.h"

#include <charconv>
#include <chrono>
#include <ctime>

namespace korvane {

namespace {

// A number of 1..maxDigits digits with no leading zero, consumed from `text`.
bool takeNumber(std::string_view& text, std::size_t maxDigits, int& out) {
    std::size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9')
        ++n;
    if (n == 0 || n > maxDigits || text[0] == '0')
        return false;
    std::from_chars(text.data(), text.data() + n, out);
    text.remove_prefix(n);
    return true;
}

bool takeSeparator(std::string_view& text) {
    if (text.empty() || text[0] != '_')
        return false;
    text.remove_prefix(1);
    return true;
}

} // namespace

int dateOfDayKey(std::string_view text) {
    int y = 0, m = 0, d = 0;
    if (!takeNumber(text, 4, y) || !takeSeparator(text) || !takeNumber(text, 2, m) ||
        !takeSeparator(text) || !takeNumber(text, 2, d) || !text.empty())
        return 0;
    if (y < 100)
        return 0;
    const std::chrono::year_month_day ymd{std::chrono::year{y},
                                          std::chrono::month{static_cast<unsigned>(m)},
                                          std::chrono::day{static_cast<unsigned>(d)}};
    return ymd.ok() ? y * 10000 + m * 100 + d : 0;
}

std::string dayKeyOfDate(int date) {
    return std::to_string(date / 10000) + "_" + std::to_string(date / 100 % 100) + "_" +
           std::to_string(date % 100);
}

int utcDateOf(std::int64_t utcSeconds) {
    using namespace std::chrono;
    const sys_days day = floor<days>(sys_seconds{seconds{utcSeconds}});
    const year_month_day ymd{day};
    return static_cast<int>(ymd.year()) * 10000 + static_cast<int>(unsigned(ymd.month())) * 100 +
           static_cast<int>(unsigned(ymd.day()));
}

int addDays(int date, int count) {
    using namespace std::chrono;
    const year_month_day ymd{year{date / 10000}, month{static_cast<unsigned>(date / 100 % 100)},
                             day{static_cast<unsigned>(date % 100)}};
    const year_month_day next{sys_days{ymd} + std::chrono::days{count}};
    return static_cast<int>(next.year()) * 10000 + static_cast<int>(unsigned(next.month())) * 100 +
           static_cast<int>(unsigned(next.day()));
}

std::string localFileStamp(std::int64_t utcMs) {
    const auto t = static_cast<std::time_t>(utcMs / 1000);
    std::tm local{};
    localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
    return stamp;
}

} // namespace korvane
