#include "serial_adapters.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <tuple>
#include <unistd.h>

namespace korvane {

std::string stableAdapterPath(const std::string& device, const std::string& byIdFolder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path wanted = fs::weakly_canonical(device, ec);
    if (ec)
        return device;
    // by-id names sort the same way on every refresh; take the first match
    // so an adapter with two names (interfaces) keeps the same one.
    std::vector<std::string> matches;
    for (fs::directory_iterator it(byIdFolder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkEc;
        if (fs::canonical(it->path(), linkEc) == wanted && !linkEc)
            matches.push_back(it->path().string());
    }
    if (matches.empty())
        return device;
    return *std::min_element(matches.begin(), matches.end());
}

void sortAdapters(std::vector<SerialAdapter>& adapters) {
    std::sort(adapters.begin(), adapters.end(), [](const SerialAdapter& a, const SerialAdapter& b) {
        // false sorts first: adapters known by a stable name lead.
        return std::tuple(a.path == a.device, a.path) < std::tuple(b.path == b.device, b.path);
    });
}

std::string adapterLabel(const SerialAdapter& adapter) {
    std::string details;
    const auto add = [&](const std::string& part) {
        if (part.empty())
            return;
        if (!details.empty())
            details += ", ";
        details += part;
    };
    add(adapter.description);
    add(adapter.manufacturer);
    if (!adapter.serialNumber.empty())
        add("serial " + adapter.serialNumber);
    // The stable name hides which ttyUSB it is today; dmesg speaks of that.
    if (adapter.path != adapter.device)
        add(adapter.device);
    return details.empty() ? adapter.path : adapter.path + "\n" + details;
}

int deviceAccessError(const std::string& path) {
    // AT_EACCESS: the same credentials open() will use, so root without
    // CAP_DAC_OVERRIDE, or a user whose new dialout membership is not yet in
    // effect, is told the truth.
    if (::faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) == 0)
        return 0;
    return errno;
}

} // namespace korvane
