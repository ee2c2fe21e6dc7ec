// What the service costs beside the window, in one run on this machine:
// the time from start to READY=1, and the CPU and resident memory of
// korvaned (dashboard off), of korvaned with the dashboard serving two live
// pages (event streams), and of the window program, each fed 10 packets a
// second by its own board simulator.  Process-level figures, so a plain
// program rather than a Google Benchmark one.
//
//   xvfb-run -a build/bench/service_bench [seconds]   (60 by default)
//
// Without a display the window runs on the offscreen platform, which paints
// into memory: its figure is then lower than on a real screen.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string makeFolder() {
    char tmpl[] = "/tmp/korvane-bench-XXXXXX";
    const char* dir = mkdtemp(tmpl);
    return dir ? dir : "";
}

void writeWebCfg(const std::string& folder, bool on, int port) {
    std::ofstream(folder + "/web.cfg", std::ios::binary)
        << "Web Config File\r\n\r\n<Enabled>" << (on ? 1 : 0)
        << "</Enabled>\r\n<Listen>127.0.0.1</Listen>\r\n<Port>" << port
        << "</Port>\r\n<Password></Password>\r\n\r\n";
}

int freePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

// A live page's event stream, read until `stop`: what a phone on the
// dashboard asks of the server.  Returns the events read.
void readEvents(int port, const std::atomic<bool>& stop, std::atomic<long>& events) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    for (int i = 0; i < 100 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0;
         ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::string request = "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    (void)!write(fd, request.data(), request.size());
    timeval timeout{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    char buf[4096];
    while (!stop) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        for (ssize_t i = 0; i + 5 < n; ++i)
            if (std::string_view(buf + i, 5) == "data:")
                ++events;
    }
    close(fd);
}

void writeProgCfg(const std::string& folder) {
    std::ofstream(folder + "/prog.cfg", std::ios::binary)
        << "Program Config File\r\n\r\n<Port>1</Port>\r\n<Savehtml>0</Savehtml>\r\n"
           "<SaveExcel>0</SaveExcel>\r\n<LogDelay>10</LogDelay>\r\n<LogOn>1</LogOn>\r\n"
           "<DisplayRPM>1</DisplayRPM>\r\n<DisplayWS>1</DisplayWS>\r\n<WSUnits>km/h</WSUnits>"
           "\r\n\r\n";
}

pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    const pid_t pid = fork();
    if (pid == 0) {
        for (const std::string& e : env)
            putenv(const_cast<char*>(e.c_str()));
        std::freopen("/dev/null", "w", stderr);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

bool waitForFile(const std::string& path) {
    struct stat st {};
    for (int i = 0; i < 500; ++i) {
        if (lstat(path.c_str(), &st) == 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// User + system CPU of a process, in clock ticks.
long cpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string f;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i) {
        if (i == 14)
            utime = std::stol(f);
        if (i == 15)
            stime = std::stol(f);
    }
    return utime + stime;
}

long rssKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

double millisToReady(const std::string& folder) {
    const std::string path = folder + "/notify.sock";
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    path.copy(addr.sun_path, sizeof addr.sun_path - 1);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const auto t0 = Clock::now();
    const pid_t pid = spawn({KORVANED, "--home", folder}, {"NOTIFY_SOCKET=" + path});
    double ms = -1;
    char buf[512];
    ssize_t n;
    while ((n = recv(fd, buf, sizeof buf, 0)) > 0) {
        if (std::string(buf, static_cast<std::size_t>(n)).find("READY=1") != std::string::npos) {
            ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            break;
        }
    }
    stop(pid);
    close(fd);
    unlink(path.c_str());
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const std::string service = makeFolder();
    const std::string served = makeFolder();
    const std::string window = makeFolder();
    const int webPort = freePort();
    for (const std::string& f : {service, served, window})
        writeProgCfg(f);
    writeWebCfg(service, false, 0);
    writeWebCfg(served, true, webPort);
    writeWebCfg(window, false, 0);
    const pid_t simA = spawn({KORVANE_BOARD_SIM, "--home", service, "--rate", "10"}, {});
    const pid_t simB = spawn({KORVANE_BOARD_SIM, "--home", window, "--rate", "10"}, {});
    const pid_t simC = spawn({KORVANE_BOARD_SIM, "--home", served, "--rate", "10"}, {});
    if (!waitForFile(service + "/com1") || !waitForFile(window + "/com1") ||
        !waitForFile(served + "/com1")) {
        std::fprintf(stderr, "the board simulator did not start\n");
        return 1;
    }

    std::vector<double> ready;
    for (int i = 0; i < 7; ++i)
        ready.push_back(millisToReady(service));
    std::sort(ready.begin(), ready.end());
    std::printf("start to READY=1: median %.0f ms, slowest %.0f ms (7 starts)\n", ready[3],
                ready.back());

    std::vector<std::string> windowEnv = {"KORVANE_HOME=" + window};
    if (std::getenv("DISPLAY") == nullptr)
        windowEnv.push_back("QT_QPA_PLATFORM=offscreen");
    const pid_t daemon = spawn({KORVANED, "--home", service}, {});
    const pid_t serving = spawn({KORVANED, "--home", served}, {});
    const pid_t gui = spawn({KORVANE_WINDOW}, windowEnv);
    std::atomic<bool> quit{false};
    std::atomic<long> events{0};
    std::thread page1(readEvents, webPort, std::cref(quit), std::ref(events));
    std::thread page2(readEvents, webPort, std::cref(quit), std::ref(events));
    std::this_thread::sleep_for(std::chrono::seconds(5)); // past start-up
    const long d0 = cpuTicks(daemon), s0 = cpuTicks(serving), g0 = cpuTicks(gui);
    const long e0 = events;
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long d1 = cpuTicks(daemon), s1 = cpuTicks(serving), g1 = cpuTicks(gui);
    const long e1 = events;
    const double tick = static_cast<double>(sysconf(_SC_CLK_TCK));
    const auto pct = [&](long a, long b) {
        return 100.0 * static_cast<double>(b - a) / tick / seconds;
    };
    const double dPct = pct(d0, d1), sPct = pct(s0, s1), gPct = pct(g0, g1);
    std::printf("over %d s at 10 packets a second (%s):\n", seconds,
                std::getenv("DISPLAY") ? "window on the display" : "window offscreen");
    std::printf("  korvaned:                     %.3f %% of a core, %ld KB resident\n", dPct,
                rssKb(daemon));
    std::printf("  korvaned, 2 live web pages:   %.3f %% of a core, %ld KB resident (%ld "
                "events)\n",
                sPct, rssKb(serving), e1 - e0);
    std::printf("  window:                       %.3f %% of a core, %ld KB resident\n", gPct,
                rssKb(gui));
    if (gPct > 0)
        std::printf("  korvaned / window: %.2f; the web server with two pages adds %.3f %%\n",
                    dPct / gPct, sPct - dPct);
    quit = true;
    page1.join();
    page2.join();
    for (pid_t p : {daemon, serving, gui, simA, simB, simC})
        stop(p);
    std::system(("rm -rf " + service + " " + served + " " + window).c_str());
    return 0;
}
