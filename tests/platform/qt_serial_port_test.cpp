// QtSerialPort over a real pseudo-terminal: reads what the far end writes,
// closes itself instead of spinning when the far end hangs up, and comes back
// when the device returns.

#include "platform/qt/qt_serial_port.h"
#include "support/pty_pair.h"
#include "support/temp_dir.h"

#include "support/event_pump.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace korvane {
namespace {

using test::pumpFor;
using test::pumpUntil;

double cpuSeconds() {
    rusage ru{};
    ::getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

TEST(QtSerialPort, ReadsThePtySurvivesHangUpAndReopens) {
    test::TempDir dir;
    auto pty = std::make_unique<test::PtyPair>(dir.file("com1"));

    QtSerialPort port(dir.path());
    std::string received;
    int events = 0;
    port.setCommEventHandler([&] {
        ++events;
        received += port.readInput();
        port.discardInput();
    });
    port.setPortNumber(1);
    ASSERT_TRUE(port.setSettings("4800,N,8,1"));
    port.setInputLength(0);
    EXPECT_EQ(port.devicePath(), dir.file("com1"));
    port.open();
    ASSERT_TRUE(port.isOpen());

    pty->write("[<V>512</V>]");
    ASSERT_TRUE(pumpUntil([&] { return received == "[<V>512</V>]"; }, 3000)) << received;

    // The far end goes away: the port must close rather than spin.
    pty.reset();
    ASSERT_TRUE(pumpUntil([&] { return !port.isOpen(); }, 3000));
    const double cpuBefore = cpuSeconds();
    const int eventsBefore = events;
    pumpFor(1500);
    EXPECT_LT(cpuSeconds() - cpuBefore, 0.5);
    EXPECT_LT(events - eventsBefore, 10);

    // The device returns under the same name: reading resumes by itself.
    pty = std::make_unique<test::PtyPair>(dir.file("com1"));
    ASSERT_TRUE(pumpUntil([&] { return port.isOpen(); }, 9000));
    received.clear();
    pty->write("[<V>1</V>]");
    EXPECT_TRUE(pumpUntil([&] { return received == "[<V>1</V>]"; }, 3000)) << received;

    port.close();
    EXPECT_FALSE(port.isOpen());
}

TEST(QtSerialPort, MissingDeviceIsRetriedQuietlyUntilClosed) {
    test::TempDir dir;
    QtSerialPort port(dir.path());
    port.setPortNumber(200);
    port.setSettings("4800,N,8,1");
    port.open(); // neither com200 nor /dev/ttyS199 exists
    const double cpuBefore = cpuSeconds();
    pumpFor(1200);
    EXPECT_LT(cpuSeconds() - cpuBefore, 0.5);
    test::PtyPair pty(dir.file("com200"));
    ASSERT_TRUE(pumpUntil([&] { return port.isOpen(); }, 9000));
    port.close();
}

TEST(QtSerialPort, TheFirstRetryOfAFailedOpenComesAfterOneSecond) {
    test::TempDir dir;
    QtSerialPort port(dir.path());
    port.setPortNumber(201);
    port.setSettings("4800,N,8,1");
    QElapsedTimer sinceOpen;
    sinceOpen.start();
    port.open(); // fails: nothing is there yet
    ASSERT_FALSE(port.isOpen());
    pumpFor(300);
    test::PtyPair pty(dir.file("com201"));
    // Retries come after 1 s, then 2 s more: a device present at the first
    // retry is open well before the second would come.
    ASSERT_TRUE(pumpUntil([&] { return port.isOpen(); }, 4000));
    EXPECT_LT(sinceOpen.elapsed(), 1700);
    port.close();
}

TEST(QtSerialPort, RejectsUnparsableSettings) {
    QtSerialPort port("/tmp");
    EXPECT_FALSE(port.setSettings("fast please"));
    EXPECT_TRUE(port.setSettings("9600,E,7,2"));
}

} // namespace
} // namespace korvane
