// korvaned as systemd runs it: a home folder with a board on com1, a
// notification socket the test listens on in place of systemd, and signals.

#include "config/settings_files.h"
#include "support/event_pump.h"
#include "support/temp_dir.h"

#include "../store/store_test_util.h"

#include <QProcess>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace korvane::test {
namespace {

// The socket systemd would listen on: every datagram korvaned sends.  It is
// drained as messages arrive, as systemd does: a full queue would block the
// sender.
class NotifySocket {
public:
    explicit NotifySocket(std::string path) : path_(std::move(path)) {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        path_.copy(addr.sun_path, sizeof addr.sun_path - 1);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { messages(); });
    }
    ~NotifySocket() {
        notifier_.reset();
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    const std::string& path() const { return path_; }

    // Every message so far, newest last.
    const std::vector<std::string>& messages() {
        char buf[4096];
        ssize_t n;
        while ((n = ::recv(fd_, buf, sizeof buf, 0)) > 0)
            messages_.emplace_back(buf, static_cast<std::size_t>(n));
        return messages_;
    }
    int count(const std::string& part) {
        const auto& m = messages();
        return static_cast<int>(std::count_if(m.begin(), m.end(), [&](const std::string& s) {
            return s.find(part) != std::string::npos;
        }));
    }
    // The text after the last "STATUS=".
    std::string lastStatus() {
        const auto& m = messages();
        for (auto it = m.rbegin(); it != m.rend(); ++it)
            if (auto at = it->find("STATUS="); at != std::string::npos)
                return it->substr(at + 7, it->find('\n', at) - at - 7);
        return {};
    }
    void clear() {
        messages();
        messages_.clear();
    }

private:
    std::string path_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::vector<std::string> messages_;
};

// A port nobody listens on now.
int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

// One GET on 127.0.0.1, the whole answer.
std::string httpGet(int port, const std::string& path) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval timeout{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        (void)!::write(fd, request.data(), request.size());
        char buf[4096];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0)
            answer.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer;
}

struct Site {
    TempDir dir;
    NotifySocket notify{dir.file("notify.sock")};
    QProcess board;
    int webPort = freePort();

    Site() {
        dir.write("web.cfg", "<Enabled>1</Enabled><Listen>127.0.0.1</Listen><Port>" +
                                 std::to_string(webPort) + "</Port>");
        ProgramConfig program = defaultProgramConfig();
        program.LogOn = "1";
        program.LogDelay = "10";
        saveProgramConfig(dir.path(), program);
        // Amps straight from the raw value: a good, positive power, so the
        // energy carried over a restart is well above rounding.
        saveCalibrationConfig(dir.path(), {"40", "0", "1", "6", "2"});
        board.start(KORVANE_BOARD_SIM,
                    {"--home", QString::fromStdString(dir.path()), "--rate", "5"});
        board.waitForStarted(5000);
        pumpUntil([&] { return std::filesystem::exists(dir.file("com1")); }, 5000);
    }
    ~Site() {
        board.kill();
        board.waitForFinished(5000);
    }

    void start(QProcess& p, const char* program = KORVANED) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NOTIFY_SOCKET", QString::fromStdString(notify.path()));
        env.insert("WATCHDOG_USEC", "1000000");
        env.insert("KORVANE_HOME", QString::fromStdString(dir.path()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(program, {});
        p.waitForStarted(5000);
    }
    int records() {
        const std::string log = dir.read("logs/" + today() + ".txt");
        return static_cast<int>(std::count(log.begin(), log.end(), '\n'));
    }
    static std::string today() {
        const std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        return std::to_string(tm.tm_year + 1900) + "_" + std::to_string(tm.tm_mon + 1) + "_" +
               std::to_string(tm.tm_mday);
    }
};

bool exitsWithin(QProcess& p, int ms) {
    return pumpUntil([&] { return p.state() == QProcess::NotRunning; }, ms);
}

TEST(Korvaned, RunsUnderSystemdAndKeepsTheFolderToItself) {
    Site site;
    QProcess first;
    site.start(first);
    ASSERT_TRUE(pumpUntil([&] { return site.notify.count("READY=1") == 1; }, 10000))
        << first.readAllStandardError().toStdString();
    EXPECT_NE(site.notify.lastStatus().find("(open)"), std::string::npos)
        << site.notify.lastStatus();
    // The watchdog is kicked at half of WATCHDOG_USEC from the event loop.
    EXPECT_TRUE(pumpUntil([&] { return site.notify.count("WATCHDOG=1") >= 3; }, 5000));
    // The dashboard serves what the station decoded.
    const std::string live = httpGet(site.webPort, "/api/live");
    EXPECT_NE(live.find(R"("has_data":true)"), std::string::npos) << live;
    EXPECT_NE(live.find("\"port\":\"Port 1: " + site.dir.file("com1") + " (open)\""),
              std::string::npos)
        << live;

    // A second service and a window on the same folder are both turned away,
    // before they touch the port or a file.
    QProcess second;
    site.start(second);
    ASSERT_TRUE(exitsWithin(second, 10000));
    EXPECT_EQ(second.exitCode(), 1);
    const std::string why = second.readAllStandardError().toStdString();
    EXPECT_NE(why.find("korvaned (process " + std::to_string(first.processId()) + ")"),
              std::string::npos)
        << why;
    QProcess window;
    site.start(window, KORVANE_WINDOW);
    EXPECT_TRUE(pumpUntil(
        [&] { return window.readAllStandardError().contains("already running on"); }, 10000));
    window.kill();
    window.waitForFinished(5000);

    ASSERT_TRUE(pumpUntil([&] { return site.records() >= 1; }, 15000))
        << first.readAllStandardError().toStdString();
    site.notify.clear();
    // SIGTERM: the open minute is committed, and the exit is clean.
    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(exitsWithin(first, 5000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(site.notify.count("STOPPING=1"), 1);
    const std::string db = site.dir.file("korvane.db");
    EXPECT_GE(std::stoi(queryOne(db, "select count(*) from minutes")), 1);
    EXPECT_EQ(site.records(), 1); // one record from one Korvane, not two
    const double stored = std::stod(queryOne(db, "select round(sum(wh), 1) from minutes"));
    EXPECT_GT(stored, 0);

    // The next start carries the day's energy on from the store; so does
    // one after a SIGKILL, from what was committed.
    QProcess again;
    site.start(again);
    ASSERT_TRUE(pumpUntil([&] { return site.notify.count("READY=1") == 1; }, 10000));
    const std::string status = site.notify.lastStatus();
    const std::string wh = status.substr(status.rfind("; ") + 2);
    EXPECT_NEAR(std::stod(wh), stored, 0.051) << status;
    ::kill(static_cast<pid_t>(again.processId()), SIGKILL);
    ASSERT_TRUE(exitsWithin(again, 5000));
    site.notify.clear();
    QProcess afterKill;
    site.start(afterKill);
    ASSERT_TRUE(pumpUntil([&] { return site.notify.count("READY=1") == 1; }, 10000));
    const std::string resumed = site.notify.lastStatus();
    EXPECT_GE(std::stod(resumed.substr(resumed.rfind("; ") + 2)), stored - 0.051) << resumed;
    // SIGHUP reads the settings again; without a window, logging follows LogOn.
    ProgramConfig off = defaultProgramConfig();
    off.LogOn = "0";
    saveProgramConfig(site.dir.path(), off);
    ::kill(static_cast<pid_t>(afterKill.processId()), SIGHUP);
    QByteArray said;
    EXPECT_TRUE(pumpUntil(
        [&] { return (said += afterKill.readAllStandardError()).contains("Logging stopped"); },
        5000))
        << said.toStdString();
    ::kill(static_cast<pid_t>(afterKill.processId()), SIGTERM);
    EXPECT_TRUE(exitsWithin(afterKill, 5000));
}

} // namespace
} // namespace korvane::test
