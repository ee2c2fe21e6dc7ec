#include "platform/folder_lock.h"
#include "support/temp_dir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace korvane {
namespace {

// A second process holds the folder until killed; it says when it has the
// lock through a pipe, so the test never sleeps on a guess.
pid_t holdInChild(const std::string& folder) {
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        FolderLock lock(folder, "korvaned");
        const char c = lock.held() ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        pause();
        _exit(0);
    }
    char c = 0;
    (void)!read(ready[0], &c, 1);
    close(ready[0]);
    close(ready[1]);
    return c == 'y' ? pid : -1;
}

TEST(FolderLock, ASecondProcessIsToldWhoHasTheFolderUntilTheHolderDies) {
    test::TempDir dir;
    const pid_t holder = holdInChild(dir.path());
    ASSERT_GT(holder, 0);
    {
        FolderLock second(dir.path(), "korvane");
        EXPECT_FALSE(second.held());
        EXPECT_EQ(second.holder(), "korvaned (process " + std::to_string(holder) + ")");
        EXPECT_TRUE(second.error().empty());
    }
    // A SIGKILL leaves nothing behind that keeps the folder locked.
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    FolderLock after(dir.path(), "korvane");
    EXPECT_TRUE(after.held());
    EXPECT_FALSE(after.heldByOther());
}

TEST(FolderLock, AFolderThatCannotHoldTheLockFileSaysWhy) {
    FolderLock lock("/nonexistent-korvane-folder", "korvaned");
    EXPECT_FALSE(lock.held());
    EXPECT_FALSE(lock.heldByOther());
    EXPECT_EQ(lock.error(), "No such file or directory");
}

} // namespace
} // namespace korvane
