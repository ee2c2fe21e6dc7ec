#include "files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace korvane {

namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::optional<std::string> readWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string text;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        text.reserve(static_cast<std::size_t>(st.st_size));
    std::vector<char> chunk(1 << 16);
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        text.append(chunk.data(), static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

bool appendToFile(const std::string& path, std::string_view data) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = writeAll(fd, data);
    return ::close(fd) == 0 && ok;
}

int appendRecord(const std::string& path, std::string_view data) {
    // Read access is only for looking at the last byte; a file we may write
    // but not read is still appended to.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    if (!S_ISREG(st.st_mode)) {
        // A device (a log pointed at /dev/full, say) cannot be cut back or
        // inspected; it takes the data as it comes.
        const int error = writeAll(fd, data) ? 0 : errno;
        ::close(fd);
        return error;
    }
    std::string joined;
    if (st.st_size > 0) {
        char last = '\n';
        if (::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n') {
            joined.reserve(data.size() + 2);
            joined = "\r\n";
            joined += data;
            data = joined;
        }
    }
    int error = 0;
    if (!writeAll(fd, data) || ::fdatasync(fd) != 0) {
        error = errno != 0 ? errno : EIO;
        // Whatever part of the record got in comes out again.
        while (::ftruncate(fd, st.st_size) != 0 && errno == EINTR) {
        }
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

std::string errorText(int error) {
    return std::strerror(error);
}

int replaceFileReportingError(const std::string& linkOrPath, std::string_view data) {
    // A settings file the user linked elsewhere is replaced where it lives,
    // and keeps the link.
    std::string path = linkOrPath;
    if (char* real = ::realpath(linkOrPath.c_str(), nullptr)) {
        path = real;
        std::free(real);
    }
    std::string tmpl = path + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        return errno;
    // The new file keeps the old one's permissions, or gets a plain new
    // file's when there was none.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    int error = writeAll(fd, data) && ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(tmpl.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(tmpl.c_str());
        return error;
    }
    // Make the rename itself durable.
    const int dirFd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return 0;
}

bool replaceFileAtomically(const std::string& path, std::string_view data) {
    return replaceFileReportingError(path, data) == 0;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool directoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ensureDirectory(const std::string& path) {
    return ensureDirectoryReportingError(path) == 0;
}

int ensureDirectoryReportingError(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) == 0)
        return 0;
    const int error = errno;
    if (directoryExists(path))
        return 0;
    return error == EEXIST ? ENOTDIR : error;
}

} // namespace korvane
