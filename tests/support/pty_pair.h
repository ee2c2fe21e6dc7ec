#pragma once
// The device side of a serial line for tests: a raw pseudo-terminal whose
// reading end is linked under a chosen name (such as <app folder>/com1).

#include <string>
#include <string_view>

namespace korvane::test {

class PtyPair {
public:
    explicit PtyPair(std::string linkPath);
    ~PtyPair(); // hangs up: closes both ends and removes the link
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    void write(std::string_view bytes);
    const std::string& devicePath() const { return device_; }

private:
    std::string link_;
    std::string device_;
    int master_ = -1;
    int slave_ = -1;
};

} // namespace korvane::test
