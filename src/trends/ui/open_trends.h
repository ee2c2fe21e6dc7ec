#pragma once
// The main window's way into the Trends window.

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/time_formats.h"

#include <string>

class QWidget;

namespace korvane {

// Opens the Trends window modally over `owner` on `<appFolder>/korvane.db`
// and returns when it is closed; the store connection it opened is closed
// with it.  Export CSV asks for a file with the system's save dialog;
// double-clicking an energy bar opens the history window on that day.
void openTrendsWindow(QWidget* owner, const std::string& appFolder, const Clock& clock,
                      const TimeFormats& timeFormats, NumberFormat numberFormat,
                      MessageSink& messages);

} // namespace korvane
