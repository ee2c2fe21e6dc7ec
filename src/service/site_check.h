#pragma once
// `korvaned --check`: for someone setting a site up, what Korvane would find
// in an app folder, one line per part, without starting anything or writing
// a byte there.

#include "platform/numbers.h"

#include <string>
#include <vector>

namespace korvane {

struct CheckLine {
    std::string text;
    bool ok = true;
};

// Every settings file, the store, the folder lock and where the serial port
// leads and whether it opens.  Needs a Qt Core application for the port.
std::vector<CheckLine> checkSite(const std::string& folder, const NumberFormat& fmt);

} // namespace korvane
