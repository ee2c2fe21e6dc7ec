#include "program_setup_rules.h"

#include "platform/files.h"
#include "platform/serial_port.h"

#include <filesystem>
#include <system_error>

namespace korvane {

bool isValidPortText(std::string_view text, const NumberFormat& fmt) {
    const auto value = parseNumber(text, fmt);
    return value && *value >= 1 && *value <= 8;
}

int checkBoxValue(std::string_view text, const NumberFormat& fmt) {
    const auto value = parseNumber(text, fmt);
    if (!value)
        return 0;
    const int v = toInt16(*value);
    return v == 1 || v == 2 ? v : 0;
}

std::string checkBoxText(int value) {
    return std::to_string(value);
}

std::string portDeviceNote(std::string_view portText, const std::string& appFolder,
                           const NumberFormat& fmt) {
    if (!isValidPortText(portText, fmt))
        return {};
    const int number = toInt16(*parseNumber(portText, fmt));
    const std::string path = portDevicePath(number, appFolder);
    // fileExists follows the link, so a link to an unplugged adapter shows
    // as not found, which is what the user needs to know.
    const std::string missing = fileExists(path) ? "" : " (not found)";
    const std::string linkName = "com" + std::to_string(number);
    if (path == appFolder + "/" + linkName) {
        std::error_code ec;
        const auto target = std::filesystem::read_symlink(path, ec);
        if (!ec)
            return "Uses " + linkName + " -> " + target.string() + missing;
        return "Uses " + path + missing;
    }
    return "Uses " + path + missing;
}

std::string setupSaveFailedMessage(const std::string& path) {
    return "The settings could not be saved to " + path +
           ".\nThe file was left as it was. Check that the folder exists and can be "
           "written to, then press \"Save Setings\" again.";
}

} // namespace korvane
