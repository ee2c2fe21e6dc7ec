#pragma once
// One Korvane per app folder.  Two programs appending to the same daily log
// would write every record twice, and two would fight over the serial port,
// so each takes a lock on "korvane.lock" in the folder before it opens the
// port or writes anything.  The lock is the kernel's (flock), released when
// the process ends however it ends, so a SIGKILL or a power cut never leaves
// the folder locked.

#include <string>
#include <string_view>

namespace korvane {

class FolderLock {
public:
    // Tries to take the lock for `program` ("korvane", "korvaned").  Never
    // blocks.
    FolderLock(const std::string& folder, std::string_view program);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return fd_ >= 0; }
    // Another process has the folder: who, as "korvaned (process 1234)".
    bool heldByOther() const { return !holder_.empty(); }
    const std::string& holder() const { return holder_; }
    // Neither: the lock file could not be opened, and why (errno text).
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    std::string holder_;
    std::string error_;
};

} // namespace korvane
