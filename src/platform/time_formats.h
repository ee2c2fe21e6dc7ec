#pragma once
// The user's date and time conventions, behind an interface so the logic can
// be tested with fixed formats and the windows can use the system locale.

#include "clock.h"

#include <string>

namespace korvane {

class TimeFormats {
public:
    virtual ~TimeFormats() = default;
    // Short date in the user's order and separators ("4/07/2006").
    virtual std::string shortDate(const LocalDateTime& t) const = 0;
    // Hours, minutes and seconds in the user's order and separators, without
    // a time-zone name ("14:05:09" or "2:05:09 PM").
    virtual std::string longTime(const LocalDateTime& t) const = 0;
    // 24-hour hours and minutes with the user's time separator ("14:05").
    virtual std::string shortTime(int hour, int minute) const = 0;
};

// Fixed formats: d/MM/yyyy, HH:mm:ss, HH:mm.  Used by tests and as the fallback.
class FixedTimeFormats final : public TimeFormats {
public:
    std::string shortDate(const LocalDateTime& t) const override;
    std::string longTime(const LocalDateTime& t) const override;
    std::string shortTime(int hour, int minute) const override;
};

// "HH:mm" with two-digit fields, as log records carry the time.
std::string hhmm(int hour, int minute);

} // namespace korvane

namespace korvane {

// Removes the time-zone field ("t", "tt", "ttt", "tttt") from a Qt-style
// time format, with the brackets that held only it and the blanks, commas,
// semicolons or dashes that joined it to the time, leaving quoted literals
// alone: "h:mm:ss AP t" -> "h:mm:ss AP", "H:mm:ss (t)" -> "H:mm:ss",
// "HH:mm:ss, t" -> "HH:mm:ss", "t HH:mm:ss" -> "HH:mm:ss".
std::string removeTimeZoneField(const std::string& format);

// The separator between hours and minutes in a time format ("HH:mm" -> ':',
// "HH.mm" -> '.'); ':' when none can be found.
char timeSeparator(const std::string& format);

} // namespace korvane
