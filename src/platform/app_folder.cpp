#include "app_folder.h"

namespace korvane {

std::string resolveAppFolder(const char* korvaneHome, const std::string& executableFolder) {
    std::string folder =
        (korvaneHome != nullptr && *korvaneHome != '\0') ? korvaneHome : executableFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace korvane
