#include "platform/app_folder.h"
#include "platform/files.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

using test::TempDir;

TEST(Files, AppendCreatesThenExtendsWithoutTruncating) {
    TempDir dir;
    const auto path = dir.file("log.txt");
    ASSERT_TRUE(appendToFile(path, "one\r\n"));
    ASSERT_TRUE(appendToFile(path, "two\r\n"));
    EXPECT_EQ(readWholeFile(path), "one\r\ntwo\r\n");
}

TEST(Files, ReadOfAMissingFileGivesNothing) {
    TempDir dir;
    EXPECT_FALSE(readWholeFile(dir.file("absent")));
    EXPECT_FALSE(fileExists(dir.file("absent")));
}

TEST(Files, AtomicReplaceSwapsContentAndLeavesNoTemporaryBehind) {
    TempDir dir;
    const auto path = dir.file("prog.cfg");
    ASSERT_TRUE(replaceFileAtomically(path, "old"));
    ASSERT_TRUE(replaceFileAtomically(path, "new"));
    EXPECT_EQ(readWholeFile(path), "new");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(Files, AtomicReplaceFollowsLinksAndKeepsPermissions) {
    TempDir dir;
    dir.mkdir("real");
    const auto target = dir.file("real/prog.cfg");
    ASSERT_TRUE(replaceFileAtomically(target, "old"));
    ::chmod(target.c_str(), 0600);
    ASSERT_EQ(::symlink(target.c_str(), dir.file("prog.cfg").c_str()), 0);
    ASSERT_TRUE(replaceFileAtomically(dir.file("prog.cfg"), "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("prog.cfg")));
    EXPECT_EQ(readWholeFile(target), "new");
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(Files, FailedReplaceKeepsTheOldFileWhole) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    TempDir dir;
    const auto path = dir.file("settings.cfg");
    ASSERT_TRUE(replaceFileAtomically(path, "old contents"));
    ::chmod(dir.path().c_str(), 0555);
    EXPECT_FALSE(replaceFileAtomically(path, "new"));
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(readWholeFile(path), "old contents");
}

TEST(Files, WritesToAFullDeviceReportFailure) {
    if (!fileExists("/dev/full"))
        GTEST_SKIP();
    EXPECT_FALSE(appendToFile("/dev/full", "record\r\n"));
}

TEST(Files, EnsureDirectoryCreatesOnceAndAcceptsExisting) {
    TempDir dir;
    EXPECT_TRUE(ensureDirectory(dir.file("logs")));
    EXPECT_TRUE(ensureDirectory(dir.file("logs")));
    EXPECT_TRUE(directoryExists(dir.file("logs")));
    EXPECT_FALSE(ensureDirectory(dir.file("no/such/parent")));
}

TEST(AppFolder, HomeVariableWinsOverTheExecutableFolder) {
    EXPECT_EQ(resolveAppFolder("/data/korvane/", "/usr/bin"), "/data/korvane");
    EXPECT_EQ(resolveAppFolder("", "/opt/korvane"), "/opt/korvane");
    EXPECT_EQ(resolveAppFolder(nullptr, "/opt/korvane"), "/opt/korvane");
}

} // namespace
} // namespace korvane
