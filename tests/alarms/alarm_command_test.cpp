// The alarm command run for real: arguments arrive literally, a hanging
// command is killed, failures are reported, and only a few run at once.

#include "alarms/qt/alarm_command_runner.h"
#include "support/event_pump.h"
#include "support/temp_dir.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
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
    runner.run("./alarm.sh", args, [&](const CommandOutcome& o) { outcome = o.failure; });
    ASSERT_TRUE(pumpUntil([&] { return outcome.has_value(); }, 10000));
    EXPECT_EQ(*outcome, "");
    std::string expected;
    for (const std::string& a : args)
        expected += a + "\n";
    EXPECT_EQ(dir.read("alarm.sh.out"), expected);
    EXPECT_NE(access(trap.c_str(), F_OK), 0) << "an argument was run by a shell";
}

// A process that is gone, or a zombie no one has reaped yet (a container's
// first process may never reap), has ended.
bool ended(pid_t pid) {
    if (kill(pid, 0) != 0)
        return true;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    return close != std::string::npos && line.size() > close + 2 && line[close + 2] == 'Z';
}

TEST_F(AlarmCommandTest, AHangingCommandIsEndedWithEverythingItStarted) {
    struct Case {
        const char* name;
        const char* body; // writes the pid of its sleeping child to $0.pid
        const char* outcome;
    };
    const Case cases[] = {
        {"a script waiting for its child", "sleep 300 &\necho $! > \"$0.pid\"\nwait\n",
         "killed after 0.2 s"},
        {"a script and child deaf to SIGTERM",
         "trap '' TERM\nsleep 300 &\necho $! > \"$0.pid\"\nwait\n", "killed after 0.2 s"},
        {"a child left behind by a script that exits", "sleep 300 &\necho $! > \"$0.pid\"\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string hang = script("hang.sh", c.body);
        std::remove(dir.file("hang.sh.pid").c_str());
        ProcessCommandRunner runner(dir.path(), CommandLimits{200ms, 2, 32});
        std::optional<std::string> outcome;
        const auto started = std::chrono::steady_clock::now();
        runner.run(hang, {"a", "b", "c", "d", "e"},
                   [&](const CommandOutcome& o) { outcome = o.failure; });
        EXPECT_FALSE(outcome) << "run() waited for the command";
        ASSERT_TRUE(pumpUntil([&] { return outcome.has_value(); }, 10000));
        EXPECT_EQ(*outcome, c.outcome);
        EXPECT_LT(std::chrono::steady_clock::now() - started, 8s);
        EXPECT_EQ(runner.running(), 0);
        const pid_t child = static_cast<pid_t>(std::stol(dir.read("hang.sh.pid")));
        const bool gone = pumpUntil([&] { return ended(child); }, 5000);
        EXPECT_TRUE(gone) << "the sleeping child outlived its command";
        if (!gone)
            kill(child, SIGKILL);
    }
}

TEST_F(AlarmCommandTest, ItGetsASmallEnvironmentWithTheAlarmsFields) {
    const std::string show = script("env.sh", "env | sort > \"$0.out\"\n");
    qputenv("KORVANE_TEST_SECRET_ELSEWHERE", "broker-password");
    ProcessCommandRunner runner(dir.path());
    std::optional<CommandOutcome> outcome;
    runner.run({show, {}, {{"KORVANE_ALARM", "Battery low"}, {"KORVANE_VALUE", "-0.5"}}},
               [&](const CommandOutcome& o) { outcome = o; });
    ASSERT_TRUE(pumpUntil([&] { return outcome.has_value(); }, 10000));
    qunsetenv("KORVANE_TEST_SECRET_ELSEWHERE");
    EXPECT_EQ(outcome->failure, "");
    std::vector<std::string> names;
    std::istringstream lines(dir.read("env.sh.out"));
    for (std::string line; std::getline(lines, line);)
        names.push_back(line.substr(0, line.find('=')));
    // The shell adds PWD (and may add SHLVL and _) of its own.
    std::erase_if(names,
                  [](const std::string& n) { return n == "PWD" || n == "SHLVL" || n == "_"; });
    EXPECT_EQ(names,
              (std::vector<std::string>{"HOME", "KORVANE_ALARM", "KORVANE_VALUE", "LANG", "PATH"}));
    EXPECT_NE(dir.read("env.sh.out").find("KORVANE_ALARM=Battery low\n"), std::string::npos);
}

TEST_F(AlarmCommandTest, OutputIsReadToTheEndAndOnlyItsLastLineKept) {
    // Two megabytes, far beyond any pipe, then the line that matters.
    const std::string chatty =
        script("chatty.sh", "i=0\nwhile [ $i -lt 2048 ]; do\n"
                            "  printf '%01023d\\n' $i\n  i=$((i + 1))\ndone\n"
                            "echo 'curl: (6) Could not resolve host' >&2\nexit 6\n");
    ProcessCommandRunner runner(dir.path(), CommandLimits{20s, 2, 32});
    std::optional<CommandOutcome> outcome;
    runner.run(chatty, {}, [&](const CommandOutcome& o) { outcome = o; });
    ASSERT_TRUE(pumpUntil([&] { return outcome.has_value(); }, 25000));
    EXPECT_EQ(outcome->failure, "exit code 6") << "it blocked on a full pipe";
    EXPECT_EQ(outcome->lastLine, "curl: (6) Could not resolve host");
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
        runner.run(c.program, {}, [&](const CommandOutcome& o) { outcome = o.failure; });
        ASSERT_TRUE(pumpUntil([&] { return outcome.has_value(); }, 10000)) << c.program;
        EXPECT_EQ(outcome->substr(0, c.failure.size()), c.failure) << *outcome;
    }
}

TEST_F(AlarmCommandTest, OnlyAFewRunAtOnceAndTheRestWaitInOrder) {
    const std::string slow = script("slow.sh", "sleep 0.1\nprintf '%s\\n' \"$1\" >> \"$0.out\"\n");
    ProcessCommandRunner runner(dir.path(), CommandLimits{10s, 1, 3});
    std::vector<std::string> outcomes;
    for (const char* n : {"1", "2", "3", "4", "5"})
        runner.run(slow, {n}, [&](const CommandOutcome& o) { outcomes.push_back(o.failure); });
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
