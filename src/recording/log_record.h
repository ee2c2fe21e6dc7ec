#pragma once
// The daily log: one line per logging tick in logs/<year>_<month>_<day>.txt.

#include "monitor/reading.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/numbers.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace korvane {

// "2006_7_4": year, month and day without leading zeros.
std::string dayKey(int year, int month, int day);
inline std::string dayKey(const LocalDateTime& t) {
    return dayKey(t.year, t.month, t.day);
}

// <V>13.52</V><I>4.1</I><W>55.43</W><R>350.5</R><S>12.3</S><M>1</M><T>14:05</T>
// followed by CR LF; numbers in the general number form, time as 24-hour HH:mm.
std::string formatLogRecord(const IntervalPeaks& peaks, std::int16_t mode, int hour, int minute,
                            const NumberFormat& fmt);

// "Load On" when the mode is 1, else empty (web page and spreadsheet outputs).
std::string outputModeText(std::int16_t mode);

inline constexpr const char* kLogsFolder = "/logs";
std::string logFilePath(const std::string& appFolder, const std::string& day);

// Appends records to the day files, each flushed to the disk before write()
// returns.  A record that cannot be written (folder not creatable, disk full,
// file locked or owned by another user) is kept and written, in order, ahead
// of the next record of its day that can be.  Days are independent: a day
// whose file stays unwritable holds only its own records, never another
// day's.  At most kMaxHeld records are held in all; past that the oldest are
// given up to keep memory bounded over a long outage.
class LogWriter {
public:
    static constexpr std::size_t kMaxHeld = 20000;

    explicit LogWriter(std::string appFolder) : appFolder_(std::move(appFolder)) {}

    // Writes `line` to the log of `day`.  False when it is held for later.
    bool write(const std::string& day, const std::string& line);
    // Tries the held records again without adding one.
    void retry() { flushHeld(); }
    std::size_t held() const { return held_.size(); }
    // The oldest day still held back and why; empty when nothing waits.
    const std::optional<FileFault>& fault() const { return fault_; }

private:
    struct Held {
        std::string day;
        std::string line;
    };
    void flushHeld();

    std::string appFolder_;
    std::deque<Held> held_;
    std::optional<FileFault> fault_;
};

} // namespace korvane
