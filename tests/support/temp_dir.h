#pragma once
// A fresh folder per test, removed afterwards.

#include <string>

namespace korvane::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& relative) const { return path_ + "/" + relative; }
    // Writes a file below the folder, creating parent folders.
    void write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;
    void mkdir(const std::string& relative) const;

private:
    std::string path_;
};

} // namespace korvane::test
