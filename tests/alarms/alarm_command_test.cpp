// The alarm command run for real: arguments arrive literally, a hanging
// command is killed, failures are reported, and only a few run at once.

#include "alarms/qt/alarm_command_runner.h"
#include "support/event_pump.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

using namespace std::chrono_literals;
using test::pumpUntil;
using test::TempDir;

class AlarmCommandTest : public ::testing::Test {
protected:
    // A script in the app folder; `body` follows the #! line.
    std::string script(const std::string& name, const std::string& body) {
        dir.write(name, "#!/bin/sh\n" + body);
        chmod(dir.file(name).c_str(), 0755);
        return dir.file(name);
    }

    TempDir dir;
};

TEST_F(AlarmCommandTest, HostileArgumentsArriveLiterally) {
    script("alarm.sh", "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$0.out\"; done\n");
    const std::string trap = dir.file("pwned");
    const std::vector<std::string> args = {"Battery \"low\" $(touch " + trap + ")", "raised",
                                           "11.42; touch " + trap, "V `touch " + trap + "`",
                                           "14:05"};
    ProcessCommandRunner runner(dir.path());
    std::optional<std::string> outcome;
    // A relative path is the app folder's, not the test's working folder.
    runner.run("./alarm.sh", args, [&](const std::string& failure) { outcome = failure; });
    ASSERT_TRUE(pumpUntil([&] { return outcome.has_value(); }, 10000));
    EXPECT_EQ(*outcome, "");
    std::string expected;
    for (const std::string& a : args)
        expected += a + "\n";
    EXPECT_EQ(dir.read("alarm.sh.out"), expected);
    EXPECT_NE(access(trap.c_str(), F_OK), 0) << "an argument was run by a shell";
}

TEST_F(AlarmCommandTest, AHangingCommandIsKilledAfterTheTimeout) {
    const std::string hang = script("hang.sh", "exec sleep 60\n");
    ProcessCommandRunner runner(dir.path(), CommandLimits{200ms, 2, 32});
    std::optional<std::string> outcome;
    const auto started = std::chrono::steady_clock::now();
    runner.run(hang, {"a", "b", "c", "d", "e"}, [&](const std::string& f) { outcome = f; });
    EXPECT_FALSE(outcome) << "run() waited for the command";
    ASSERT_TRUE(pumpUntil([&] { return outcome.has_value(); }, 10000));
    EXPECT_EQ(*outcome, "killed after 0.2 s");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(runner.running(), 0);
}

TEST_F(AlarmCommandTest, FailuresSayWhy) {
    const std::string exit3 = script("exit3.sh", "exit 3\n");
    const std::string killed = script("killed.sh", "kill -TERM $$\n");
    struct Case {
        std::string program;
        std::string failure; // a prefix of the report
    };
    const Case cases[] = {
        {exit3, "exit code 3"},
        {killed, "ended by a signal"},
        {dir.file("missing.sh"), "cannot start: "},
    };
    ProcessCommandRunner runner(dir.path());
    for (const Case& c : cases) {
        std::optional<std::string> outcome;
        runner.run(c.program, {}, [&](const std::string& f) { outcome = f; });
        ASSERT_TRUE(pumpUntil([&] { return outcome.has_value(); }, 10000)) << c.program;
        EXPECT_EQ(outcome->substr(0, c.failure.size()), c.failure) << *outcome;
    }
}

TEST_F(AlarmCommandTest, OnlyAFewRunAtOnceAndTheRestWaitInOrder) {
    const std::string slow = script("slow.sh", "sleep 0.1\nprintf '%s\\n' \"$1\" >> \"$0.out\"\n");
    ProcessCommandRunner runner(dir.path(), CommandLimits{10s, 1, 3});
    std::vector<std::string> outcomes;
    for (const char* n : {"1", "2", "3", "4", "5"})
        runner.run(slow, {n}, [&](const std::string& f) { outcomes.push_back(f); });
    EXPECT_EQ(runner.running(), 1);
    EXPECT_EQ(runner.waiting(), 3u);
    // The fifth found the queue full and was turned away at once.
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0], "not run, 3 alarm commands already waiting");
    ASSERT_TRUE(pumpUntil([&] { return outcomes.size() == 5; }, 10000));
    EXPECT_EQ(dir.read("slow.sh.out"), "1\n2\n3\n4\n");
}

} // namespace
} // namespace korvane
