#include "folder_lock.h"

#include "files.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace korvane {

namespace {

// The holder writes "<program> <pid>"; a reader that finds nothing there (a
// holder between its lock and its write) still names the file.
std::string describeHolder(int fd, const std::string& path) {
    char buf[128];
    const ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
    std::string text = n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const auto blank = text.rfind(' ');
    if (blank == std::string::npos || blank == 0)
        return "another Korvane (see " + path + ")";
    return text.substr(0, blank) + " (process " + text.substr(blank + 1) + ")";
}

} // namespace

FolderLock::FolderLock(const std::string& folder, std::string_view program)
    : path_(joinPath(folder, "/korvane.lock")) {
    // Close-on-exec: an alarm command started later must not keep the folder
    // locked after Korvane itself has gone.
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error_ = errorText(errno);
        return;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        if (e == EWOULDBLOCK)
            holder_ = describeHolder(fd, path_);
        else
            error_ = errorText(e);
        ::close(fd);
        return;
    }
    fd_ = fd;
    const std::string text = std::string(program) + ' ' + std::to_string(getpid()) + '\n';
    if (ftruncate(fd_, 0) == 0)
        (void)!pwrite(fd_, text.data(), text.size(), 0);
}

FolderLock::~FolderLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace korvane
