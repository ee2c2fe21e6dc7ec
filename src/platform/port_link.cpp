#include "port_link.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

namespace {

std::string temporaryLinkPath(const std::string& appFolder, int portNumber) {
    // Unique per process and call, so two dialogs (or two programs) never
    // trip over each other's half-made link.
    static std::atomic<unsigned> counter{0};
    return appFolder + "/.com" + std::to_string(portNumber) + ".new-" + std::to_string(::getpid()) +
           "-" + std::to_string(counter++);
}

PortLinkResult failed(PortLinkResult result, int error) {
    result.outcome = PortLinkResult::Outcome::Failed;
    result.systemText = std::strerror(error);
    return result;
}

} // namespace

PortLinkResult linkPort(const std::string& appFolder, int portNumber, const std::string& target) {
    PortLinkResult result;
    result.linkPath = appFolder + "/com" + std::to_string(portNumber);

    struct stat st {};
    if (::lstat(result.linkPath.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        result.outcome = S_ISDIR(st.st_mode) ? PortLinkResult::Outcome::FolderInTheWay
                                             : PortLinkResult::Outcome::FileInTheWay;
        return result;
    }
    const std::string temporary = temporaryLinkPath(appFolder, portNumber);
    if (::symlink(target.c_str(), temporary.c_str()) != 0)
        return failed(result, errno);
    // A file put there between the check and here would be replaced; the
    // window is a few microseconds of the user's own folder, so it is left.
    if (::rename(temporary.c_str(), result.linkPath.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return failed(result, error);
    }
    result.outcome = PortLinkResult::Outcome::Linked;
    return result;
}

std::string portLinkFailedMessage(const PortLinkResult& result) {
    switch (result.outcome) {
    case PortLinkResult::Outcome::Linked:
        return {};
    case PortLinkResult::Outcome::FileInTheWay:
    case PortLinkResult::Outcome::FolderInTheWay: {
        const bool folder = result.outcome == PortLinkResult::Outcome::FolderInTheWay;
        return result.linkPath + " is " + (folder ? "a folder" : "a file") +
               ", not a link, so it was left as it is.\nMove or rename it, then press "
               "\"Use for port\" again.";
    }
    case PortLinkResult::Outcome::Failed:
        break;
    }
    return "The link " + result.linkPath + " could not be made: " + result.systemText +
           ".\nCheck that the folder exists and can be written to, then press \"Use for port\" "
           "again.";
}

} // namespace korvane
