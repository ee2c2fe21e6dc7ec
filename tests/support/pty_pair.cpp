#include "pty_pair.h"

#include <cerrno>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace korvane::test {

PtyPair::PtyPair(std::string linkPath) : link_(std::move(linkPath)) {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    termios tio{};
    ::tcgetattr(slave_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave_, TCSANOW, &tio);
    device_ = name;
    ::unlink(link_.c_str());
    if (::symlink(name, link_.c_str()) != 0)
        throw std::runtime_error("symlink failed");
}

PtyPair::~PtyPair() {
    ::unlink(link_.c_str());
    ::close(master_);
    ::close(slave_);
}

void PtyPair::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("pty write failed");
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

} // namespace korvane::test
