// The dashboard in a real browser: headless Chromium loads the pages from
// the server over a fake station that publishes a snapshot every 100 ms,
// and the test reads back the page as the browser built it.

#include "web/web_server.h"

#include "simulated_store.h"
#include "support/temp_dir.h"
#include "trends/date_range.h"
#include "web/json_writer.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace korvane {
namespace {

using namespace std::chrono_literals;

const char* chromium() {
    for (const char* p : {"/usr/bin/chromium", "/usr/bin/chromium-browser"})
        if (::access(p, X_OK) == 0)
            return p;
    return nullptr;
}

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Publishes what a running station would: a new reading every 100 ms.
class FakeStation {
public:
    explicit FakeStation(SnapshotBoard& board) : board_(board) {
        thread_ = std::thread([this] {
            for (int i = 0; !stop_; ++i) {
                LiveSnapshot s;
                s.hasData = true;
                s.volts = 13.0 + (i % 50) / 100.0;
                s.amps = 4.25;
                s.watts = 55.5;
                s.rpm = 352;
                s.wind = 12.5;
                s.mode = 1;
                s.wattHoursToday = 1234.56;
                s.lastPacketUtcMs = s.takenUtcMs = nowMs();
                s.dayKey = localDayKey(s.takenUtcMs / 1000);
                s.portState = "Port 1: /dev/serial/by-id/usb-FTDI_FT232R_A10K-if00-port0 (open)";
                s.portOpen = true;
                s.alarms = {"Battery high: 14.62 V since 11:05"};
                s.windUnits = "km/h";
                s.outputIndex7d = 96.4;
                s.version = "0.1.0";
                board_.publish(std::move(s));
                std::this_thread::sleep_for(100ms);
            }
        });
    }
    ~FakeStation() {
        stop_ = true;
        thread_.join();
    }

private:
    SnapshotBoard& board_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct BrowserRun {
    std::string out; // stdout: the DOM with --dump-dom
    std::string err; // stderr: the browser's log, console messages among it
};

// Runs chromium with the flags that work here and a fresh profile; ended
// after `limit` if it hangs.
BrowserRun runChromium(const std::vector<std::string>& args, const std::string& scratch,
                       std::chrono::seconds limit = 60s) {
    const std::string profile = scratch + "/profile-" + std::to_string(nowMs());
    std::vector<std::string> all = {chromium(),
                                    "--headless",
                                    "--no-sandbox",
                                    "--disable-gpu",
                                    "--disable-quic",
                                    "--no-first-run",
                                    "--disable-background-networking",
                                    "--disable-component-update",
                                    "--disable-sync",
                                    "--enable-logging=stderr",
                                    "--user-data-dir=" + profile};
    all.insert(all.end(), args.begin(), args.end());
    const std::string outPath = scratch + "/out.txt", errPath = scratch + "/err.txt";
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen(outPath.c_str(), "w", stdout);
        std::freopen(errPath.c_str(), "w", stderr);
        std::vector<char*> argv;
        for (auto& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::setpgid(0, 0);
        ::execv(argv[0], argv.data());
        std::_Exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(50ms);
    }
    auto slurp = [](const std::string& p) {
        std::ifstream f(p);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    };
    return {slurp(outPath), slurp(errPath)};
}

std::string consoleErrors(const std::string& log) {
    std::string found;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);)
        if (line.find("CONSOLE") != std::string::npos &&
            (line.find("Uncaught") != std::string::npos ||
             line.find("Error") != std::string::npos ||
             line.find("Failed to load resource") != std::string::npos))
            found += line + "\n";
    return found;
}

// The value of `attribute` in the tag that carries id="`id`" (or in the
// first tag that has the attribute when `id` is empty); -1 when absent.
long numberAttribute(const std::string& dom, const std::string& id, const std::string& attribute) {
    std::size_t tag = 0;
    if (!id.empty()) {
        tag = dom.find("id=\"" + id + "\"");
        if (tag == std::string::npos)
            return -1;
    }
    const std::size_t end = id.empty() ? std::string::npos : dom.find('>', tag);
    const std::size_t at = dom.find(attribute + "=\"", tag);
    if (at == std::string::npos || at > end)
        return -1;
    return std::strtol(dom.c_str() + at + attribute.size() + 2, nullptr, 10);
}

// The text of the value span inside the element with id="`id`".
std::string readingText(const std::string& dom, const std::string& id) {
    const std::size_t tag = dom.find("id=\"" + id + "\"");
    const std::string open = "<span class=\"value\">";
    const std::size_t at = tag == std::string::npos ? tag : dom.find(open, tag);
    if (at == std::string::npos)
        return {};
    const std::size_t from = at + open.size();
    return dom.substr(from, dom.find('<', from) - from);
}

class WebBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The test scripts install chromium: a missing one is a broken
        // machine, and must not pass for a tested dashboard.
        if (!chromium())
            FAIL() << "chromium is missing: scripts/install-deps.sh installs it";
        // Thirty simulated days ending today, so every chart has data.
        const int today = localDateOf(nowMs() / 1000);
        const int first = addDays(today, -29);
        ASSERT_TRUE(sim::writeSimulatedStore(app.file("korvane.db"), {first, 30, 7}).ok());
        // Streams end every 1.5 s and the page reconnects: the browser's
        // virtual time, which stands still while a request is open, then
        // runs on between them.
        WebLimits limits;
        limits.streamLifetimeMs = 1500;
        ASSERT_EQ(server.start({true, "127.0.0.1", 0, ""}, app.path(), app.file("korvane.db"),
                               board, limits),
                  "");
        base = "http://127.0.0.1:" + std::to_string(server.port());
    }

    test::TempDir app, scratch;
    SnapshotBoard board;
    FakeStation station{board};
    WebServer server;
    std::string base;
};

TEST_F(WebBrowserTest, TheLivePageShowsStreamedValuesAndDrawsTodaysCharts) {
    const BrowserRun run = runChromium(
        {"--window-size=1280,1000", "--virtual-time-budget=4000", "--dump-dom", base + "/"},
        scratch.path());
    // The page counts the events the stream brought it.
    EXPECT_GE(numberAttribute(run.out, "", "data-events"), 2)
        << run.out.substr(0, 2000) << run.err.substr(0, 2000);
    const std::string volts = readingText(run.out, "r-volts");
    EXPECT_EQ(volts.rfind("13", 0), 0u) << volts;
    EXPECT_NE(run.out.find("Battery high: 14.62 V since 11:05"), std::string::npos);
    EXPECT_NE(run.out.find("usb-FTDI_FT232R_A10K"), std::string::npos);
    EXPECT_NE(run.out.find("1234.6"), std::string::npos);
    for (const char* chart : {"chart-volts", "chart-watts", "chart-wind"})
        EXPECT_GT(numberAttribute(run.out, chart, "data-ink"), 100) << chart;
    EXPECT_EQ(consoleErrors(run.err), "");
}

TEST_F(WebBrowserTest, TrendsAndAlarmsDrawTheirChartsAndTable) {
    const BrowserRun trends = runChromium(
        {"--window-size=1280,1400", "--virtual-time-budget=4000", "--dump-dom", base + "/trends"},
        scratch.path());
    for (const char* chart : {"chart-energy", "chart-curve", "chart-battery"})
        EXPECT_GT(numberAttribute(trends.out, chart, "data-ink"), 100)
            << chart << trends.out.substr(0, 3000);
    EXPECT_NE(trends.out.find("Turbine output over the last 7 days: 96.4 % of normal"),
              std::string::npos);
    EXPECT_EQ(consoleErrors(trends.err), "");

    const BrowserRun alarms =
        runChromium({"--virtual-time-budget=3000", "--dump-dom", base + "/alarms"}, scratch.path());
    EXPECT_NE(alarms.out.find("No alarm was raised or cleared in this range."), std::string::npos);
    EXPECT_NE(alarms.out.find("/api/days.csv?from="), std::string::npos);
    EXPECT_EQ(consoleErrors(alarms.err), "");
}

TEST_F(WebBrowserTest, ScreenshotsAtPhoneAndDesktopWidth) {
    // Saved beside the test program; the README's pictures are copies.
    for (const auto& [name, size] :
         {std::pair{"web-phone.png", "360,1500"}, std::pair{"web-desktop.png", "1280,1100"}}) {
        std::remove(name);
        const std::string path = (std::filesystem::current_path() / name).string();
        runChromium({std::string("--window-size=") + size, "--hide-scrollbars",
                     "--run-all-compositor-stages-before-draw", "--virtual-time-budget=4000",
                     "--screenshot=" + path, base + "/"},
                    scratch.path());
        std::ifstream png(path, std::ios::binary);
        std::string head(8, '\0');
        png.read(head.data(), 8);
        EXPECT_EQ(head, "\x89PNG\r\n\x1a\n") << path;
        png.seekg(0, std::ios::end);
        EXPECT_GT(png.tellg(), 20000) << path;
    }
}

} // namespace
} // namespace korvane
