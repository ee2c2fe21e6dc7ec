#include "temp_dir.h"

#include "platform/files.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace korvane::test {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "korvane-test-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void TempDir::write(const std::string& relative, const std::string& content) const {
    const std::filesystem::path p = file(relative);
    std::filesystem::create_directories(p.parent_path());
    if (!replaceFileAtomically(p.string(), content))
        throw std::runtime_error("cannot write " + p.string());
}

std::string TempDir::read(const std::string& relative) const {
    return readWholeFile(file(relative)).value_or("<missing>");
}

void TempDir::mkdir(const std::string& relative) const {
    std::filesystem::create_directories(file(relative));
}

} // namespace korvane::test
