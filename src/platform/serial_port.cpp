#include "serial_port.h"

#include "files.h"

#include <charconv>
#include <sys/stat.h>
#include <vector>

namespace korvane {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::optional<int> parseInt(std::string_view s) {
    s = trim(s);
    int v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size() || s.empty())
        return std::nullopt;
    return v;
}

} // namespace

std::optional<LineSettings> parseLineSettings(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const auto comma = text.find(',', start);
        parts.push_back(trim(text.substr(start, comma - start)));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (parts.size() != 4 || parts[1].size() != 1)
        return std::nullopt;
    LineSettings s;
    const auto baud = parseInt(parts[0]);
    const auto data = parseInt(parts[2]);
    const auto stop = parseInt(parts[3]);
    if (!baud || *baud <= 0 || !data || *data < 5 || *data > 8 || !stop ||
        (*stop != 1 && *stop != 2))
        return std::nullopt;
    switch (parts[1][0]) {
    case 'N':
    case 'n':
        s.parity = Parity::None;
        break;
    case 'O':
    case 'o':
        s.parity = Parity::Odd;
        break;
    case 'E':
    case 'e':
        s.parity = Parity::Even;
        break;
    case 'M':
    case 'm':
        s.parity = Parity::Mark;
        break;
    case 'S':
    case 's':
        s.parity = Parity::Space;
        break;
    default:
        return std::nullopt;
    }
    s.baud = *baud;
    s.dataBits = *data;
    s.stopBits = *stop;
    return s;
}

std::string portDevicePath(int portNumber, const std::string& appFolder) {
    const std::string link = appFolder + "/com" + std::to_string(portNumber);
    // A link whose adapter is unplugged still names the port the user meant.
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0)
        return link;
    return "/dev/ttyS" + std::to_string(portNumber - 1);
}

} // namespace korvane

namespace korvane {

std::string portProblemText(const PortProblem& problem) {
    switch (problem.fault) {
    case PortFault::None:
    case PortFault::NoDevice:
        return "waiting for the device";
    case PortFault::NoPermission:
        return "no permission: add your user to the dialout group, then log in again";
    case PortFault::Busy:
        return "in use by another program";
    case PortFault::Other:
        break;
    }
    return problem.systemText.empty() ? "waiting for the device" : problem.systemText;
}

int reopenDelayMs(int attempt) {
    if (attempt <= 1)
        return 1000;
    if (attempt == 2)
        return 2000;
    return 5000;
}

} // namespace korvane
