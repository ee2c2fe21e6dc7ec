// Connecting: a wrong password, TLS, and a broker that is away or silent,
// none of which may hold up the event loop or keep a core busy.

#include "publish/ui/publishing_dialog.h"
#include "publish_fixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <arpa/inet.h>
#include <atomic>
#include <iostream>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace korvane::test {
namespace {

class Connecting : public PublishFixture {};

double cpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The longest gap between the beats of a 10 ms timer while the loop runs for `ms`.
qint64 longestStall(int ms) {
    QElapsedTimer since;
    qint64 longest = 0;
    QTimer beat;
    beat.setInterval(10);
    QObject::connect(&beat, &QTimer::timeout,
                     [&] { longest = std::max(longest, since.restart()); });
    since.start();
    beat.start();
    QTest::qWait(ms);
    return longest;
}

// A listener on 127.0.0.1 that accepts and never says a word.
class SilentListener {
public:
    SilentListener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        ::listen(fd_, 8);
        thread_ = std::thread([this] {
            while (!stop_) {
                timeval tv{0, 50000};
                fd_set set;
                FD_ZERO(&set);
                FD_SET(fd_, &set);
                if (::select(fd_ + 1, &set, nullptr, nullptr, &tv) > 0)
                    accepted_.push_back(::accept(fd_, nullptr, nullptr));
            }
        });
    }
    ~SilentListener() {
        stop_ = true;
        thread_.join();
        for (int fd : accepted_)
            ::close(fd);
        ::close(fd_);
    }
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::vector<int> accepted_;
    std::thread thread_;
};

TEST_F(Connecting, AWrongPasswordIsSaidAndRetriedWithoutSpinning) {
    TestBroker broker(dir.path(), {"korvane", "right", {}, {}, {}});
    ASSERT_TRUE(broker.start());
    MqttConfig c = config(broker.port());
    c.User = "korvane";
    c.Password = "wrong";
    writeConfig(c);
    auto p = publisher(std::make_unique<MemoryOutboxStorage>());
    const std::string prefix = "MQTT: 127.0.0.1:" + std::to_string(broker.port()) + ": ";
    ASSERT_TRUE(spinUntil([&] { return p->statusText().find("next try") != std::string::npos; }));
    EXPECT_EQ(p->statusText().rfind(prefix + "not authorised (check the user name and password); "
                                             "next try in ",
                                    0),
              0u)
        << p->statusText();

    const double before = cpuSeconds();
    QTest::qWait(3000);
    const double used = cpuSeconds() - before;
    EXPECT_LT(used, 0.3);
    std::cout << "CPU time over 3 s of refused retries: " << used << " s\n";
    EXPECT_FALSE(p->isConnected());

    c.Password = "right";
    writeConfig(c);
    p->reload();
    EXPECT_TRUE(spinUntil([&] { return p->isConnected(); }));
}

TEST_F(Connecting, TlsWithTheBrokersCaConnectsAndAStrangeCaDoesNot) {
    const auto sh = [&](const std::string& cmd) {
        return std::system(("cd " + dir.path() + " && " + cmd + " >/dev/null 2>&1").c_str());
    };
    ASSERT_EQ(sh("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=TestCA "
                 "-keyout ca.key -out ca.crt"),
              0);
    ASSERT_EQ(sh("openssl req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -keyout server.key "
                 "-out server.csr"),
              0);
    dir.write("san.ext", "subjectAltName=IP:127.0.0.1\n");
    ASSERT_EQ(sh("openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial "
                 "-days 2 -extfile san.ext -out server.crt"),
              0);
    ASSERT_EQ(sh("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=Other "
                 "-keyout other.key -out other.crt"),
              0);
    TestBroker broker(dir.path(),
                      {{}, {}, dir.file("ca.crt"), dir.file("server.crt"), dir.file("server.key")});
    ASSERT_TRUE(broker.start());
    TestSubscriber sub(broker.port(), "korvane/#", dir.file("ca.crt"));
    ASSERT_TRUE(sub.waitSubscribed());

    MqttConfig c = config(broker.port());
    c.TLS = "1";
    c.CAFile = dir.file("other.crt");
    writeConfig(c);
    auto p = publisher(std::make_unique<MemoryOutboxStorage>());
    ASSERT_TRUE(spinUntil([&] { return p->statusText().find("next try") != std::string::npos; }));
    EXPECT_NE(p->statusText().find(": TLS handshake failed"), std::string::npos) << p->statusText();

    c.CAFile = dir.file("ca.crt");
    writeConfig(c);
    p->reload();
    ASSERT_TRUE(spinUntil([&] { return p->isConnected(); })) << p->statusText();
    EXPECT_TRUE(spinUntil([&] { return sub.payloads("korvane/shed/availability").size() == 1; }));
}

TEST_F(Connecting, ABrokerThatIsAwayOrSilentNeverStallsTheEventLoop) {
    const int nobody = freeLoopbackPort();
    writeConfig(config(nobody));
    auto away = publisher(std::make_unique<MemoryOutboxStorage>());
    const qint64 refused = longestStall(2500);
    EXPECT_LT(refused, 50);
    EXPECT_EQ(away->statusText().rfind("MQTT: 127.0.0.1:" + std::to_string(nobody) +
                                           ": connection refused; next try in ",
                                       0),
              0u)
        << away->statusText();
    away.reset();

    SilentListener silent;
    writeConfig(config(silent.port()));
    auto mute = publisher(std::make_unique<MemoryOutboxStorage>());
    const qint64 silentStall = longestStall(3500); // past the 3 s connect time-out
    EXPECT_LT(silentStall, 50);
    std::cout << "longest event-loop stall: " << refused << " ms refused, " << silentStall
              << " ms silent\n";
    EXPECT_NE(mute->statusText().find(": no answer from the broker; next try in "),
              std::string::npos)
        << mute->statusText();
    // Records wait in the outbox meanwhile.
    mute->recordLogged({{12.5, 1, 12.5, 100, 5}, 1, 14, 5, "2026_12_8"}, now());
    EXPECT_EQ(mute->waiting(), 1u);
    const LiveTime t = now();
    QElapsedTimer exit;
    exit.start();
    mute->exiting(t);
    EXPECT_LT(exit.elapsed(), 100);
}

TEST_F(Connecting, TheDialogTestsTheConnectionWhileStayingResponsive) {
    TestBroker broker(dir.path(), {"korvane", "right", {}, {}, {}});
    ASSERT_TRUE(broker.start());
    RecordingMessageSink messages;
    Publishing dialog(dir.path(), NumberFormat{}, messages, "shed", 3000);
    auto* host = dialog.findChild<QLineEdit*>("Host");
    auto* port = dialog.findChild<QLineEdit*>("Port");
    auto* user = dialog.findChild<QLineEdit*>("User");
    auto* password = dialog.findChild<QLineEdit*>("Password");
    auto* test = dialog.findChild<QPushButton*>("TestConnection");
    auto* result = dialog.findChild<QLabel*>("TestResult");
    ASSERT_TRUE(host && port && user && password && test && result);
    const QString broker_ = QStringLiteral("127.0.0.1:%1").arg(broker.port());
    host->setText("127.0.0.1");
    port->setText(QString::number(broker.port()));
    user->setText("korvane");
    password->setText("wrong");
    test->click();
    EXPECT_EQ(result->text(), "Connecting to " + broker_ + " ...");
    ASSERT_TRUE(spinUntil([&] { return !result->text().startsWith("Connecting"); }));
    EXPECT_EQ(result->text(), broker_ + ": not authorised (check the user name and password)");
    password->setText("right");
    test->click();
    ASSERT_TRUE(spinUntil([&] { return !result->text().startsWith("Connecting"); }));
    EXPECT_EQ(result->text(), "Connected to " + broker_ + ": the broker accepted.");
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_FALSE(fileExists(dir.file("mqtt.cfg"))); // testing saves nothing
}

TEST_F(Connecting, SaveRefusesABadPortOrIntervalByName) {
    RecordingMessageSink messages;
    Publishing dialog(dir.path(), NumberFormat{}, messages, "shed");
    auto* port = dialog.findChild<QLineEdit*>("Port");
    auto* interval = dialog.findChild<QLineEdit*>("Interval");
    auto* save = dialog.findChild<QPushButton*>("Save");
    port->setText("70000");
    save->click();
    interval->setText("0");
    port->setText("1883");
    save->click();
    EXPECT_EQ(messages.messages,
              (std::vector<std::string>{"Port must be a whole number from 1 to 65535.",
                                        "Interval must be a number of seconds above 0."}));
    EXPECT_FALSE(fileExists(dir.file("mqtt.cfg")));
    interval->setText("10");
    save->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(loadMqttConfig(dir.path(), "shed").Interval, "10");
}

} // namespace
} // namespace korvane::test
