// Making com<n> links on real files: what is replaced, what is refused, and
// that nothing half-made is left behind.

#include "platform/port_link.h"
#include "support/temp_dir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

namespace fs = std::filesystem;
using Outcome = PortLinkResult::Outcome;

std::string linkTarget(const std::string& path) {
    std::error_code ec;
    const auto target = fs::read_symlink(path, ec);
    return ec ? "<not a link>" : target.string();
}

// Everything in the folder, so a leftover temporary link shows up.
std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PortLink, MakesAFreshLinkAndReplacesAnOldOne) {
    test::TempDir dir;
    const std::string com2 = dir.file("com2");

    PortLinkResult r = linkPort(dir.path(), 2, "/dev/serial/by-id/usb-FTDI_A-if00-port0");
    EXPECT_EQ(r.outcome, Outcome::Linked);
    EXPECT_EQ(r.linkPath, com2);
    EXPECT_EQ(linkTarget(com2), "/dev/serial/by-id/usb-FTDI_A-if00-port0");
    EXPECT_EQ(portLinkFailedMessage(r), "");

    // Replacing: to a device that exists, then back to an unplugged one.
    ASSERT_EQ(linkPort(dir.path(), 2, "/dev/null").outcome, Outcome::Linked);
    EXPECT_EQ(linkTarget(com2), "/dev/null");
    ASSERT_EQ(linkPort(dir.path(), 2, "/dev/ttyUSB9").outcome, Outcome::Linked);
    EXPECT_EQ(linkTarget(com2), "/dev/ttyUSB9");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"com2"});
}

TEST(PortLink, ADanglingOldLinkIsReplacedAndOtherPortsAreLeftAlone) {
    test::TempDir dir;
    ASSERT_EQ(::symlink("/dev/gone", dir.file("com1").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/ttyUSB1", dir.file("com3").c_str()), 0);
    EXPECT_EQ(linkPort(dir.path(), 1, "/dev/ttyACM0").outcome, Outcome::Linked);
    EXPECT_EQ(linkTarget(dir.file("com1")), "/dev/ttyACM0");
    EXPECT_EQ(linkTarget(dir.file("com3")), "/dev/ttyUSB1");
}

TEST(PortLink, RefusesAFileOrFolderInTheWay) {
    const struct {
        bool folder;
        Outcome outcome;
        const char* what;
    } cases[] = {{false, Outcome::FileInTheWay, "a file"},
                 {true, Outcome::FolderInTheWay, "a folder"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        if (c.folder)
            dir.write("com4/keep.txt", "mine");
        else
            dir.write("com4", "notes the user keeps here");

        const PortLinkResult r = linkPort(dir.path(), 4, "/dev/ttyUSB0");
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(portLinkFailedMessage(r),
                  dir.file("com4") + " is " + c.what +
                      ", not a link, so it was left as it is.\nMove or rename it, then press "
                      "\"Use for port\" again.");
        if (c.folder)
            EXPECT_EQ(dir.read("com4/keep.txt"), "mine");
        else
            EXPECT_EQ(dir.read("com4"), "notes the user keeps here");
        EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"com4"});
    }
}

TEST(PortLink, AFolderThatCannotBeWrittenIsReportedWithTheSystemsWords) {
    const PortLinkResult r = linkPort("/nonexistent-folder", 1, "/dev/ttyUSB0");
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_EQ(r.systemText, "No such file or directory");
    EXPECT_EQ(portLinkFailedMessage(r),
              "The link /nonexistent-folder/com1 could not be made: No such file or "
              "directory.\nCheck that the folder exists and can be written to, then press "
              "\"Use for port\" again.");
}

} // namespace
} // namespace korvane
