#include "service/service_log.h"
#include "service/service_options.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(ServiceOptions, ReadsTheCommandLine) {
    using A = ServiceOptions::Action;
    struct Case {
        std::vector<std::string> args;
        A action;
        std::string home;
    } cases[] = {
        {{}, A::Run, ""},
        {{"--home", "/var/lib/korvane/"}, A::Run, "/var/lib/korvane"},
        {{"--home=/srv/k", "--check"}, A::Check, "/srv/k"},
        {{"--check", "--help"}, A::Help, ""},
        {{"--version"}, A::Version, ""},
        {{"--home"}, A::Refused, ""},
        {{"--home="}, A::Refused, ""},
        {{"--daemon"}, A::Refused, ""},
    };
    for (const Case& c : cases) {
        const ServiceOptions o = parseServiceOptions(c.args);
        EXPECT_EQ(o.action, c.action) << testing::PrintToString(c.args);
        EXPECT_EQ(o.home, c.home) << testing::PrintToString(c.args);
        EXPECT_EQ(o.error.empty(), c.action != A::Refused);
    }
}

TEST(ServiceLog, OneLinePerEventWithThePriorityOnlyForTheJournal) {
    EXPECT_EQ(serviceLogLine(LogLevel::Warning, "Port 1: /k/com1 (waiting for the device)", true),
              "<4>Port 1: /k/com1 (waiting for the device)\n");
    EXPECT_EQ(serviceLogLine(LogLevel::Info, "started", false), "started\n");
    EXPECT_EQ(serviceLogLine(LogLevel::Error, "store: disk full\r\nMQTT: refused\n", true),
              "<3>store: disk full; MQTT: refused\n");
}

} // namespace
} // namespace korvane
