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

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

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

// Root opens a tty another holds exclusively (CAP_SYS_ADMIN) and any file
// (CAP_DAC_OVERRIDE), so a user's failures cannot happen to it.  Capabilities
// are per thread: this lowers the effective set of the test's (Qt's) thread
// for a scope and raises it again after.  Without the capability (not root)
// it does nothing, and the user's failure happens anyway.
class WithoutCapabilities {
public:
    explicit WithoutCapabilities(std::initializer_list<int> caps) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        if (::syscall(SYS_capget, &header, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        for (int cap : caps)
            lowered[cap / 32].effective &= ~(1u << (cap % 32));
        ok_ = ::syscall(SYS_capset, &header, lowered) == 0;
    }
    ~WithoutCapabilities() {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        if (ok_)
            ::syscall(SYS_capset, &header, saved_);
    }
    WithoutCapabilities(const WithoutCapabilities&) = delete;
    WithoutCapabilities& operator=(const WithoutCapabilities&) = delete;

private:
    __user_cap_data_struct saved_[2] = {};
    bool ok_ = false;
};

struct OpenAttempt {
    bool open;
    PortProblem problem;
};

OpenAttempt openPort(const std::string& folder, int number) {
    QtSerialPort port(folder);
    port.setPortNumber(number);
    port.setSettings("4800,N,8,1");
    port.open();
    return {port.isOpen(), port.problem()};
}

TEST(QtSerialPortProblem, MissingDeviceOrDanglingLinkIsWaitedFor) {
    test::TempDir dir;
    ASSERT_EQ(::symlink("/dev/ttyUSB-unplugged", dir.file("com2").c_str()), 0);
    for (int number : {2, 202}) { // the dangling link, then /dev/ttyS201
        SCOPED_TRACE(number);
        const OpenAttempt a = openPort(dir.path(), number);
        EXPECT_FALSE(a.open);
        EXPECT_EQ(a.problem.fault, PortFault::NoDevice);
        EXPECT_EQ(portProblemText(a.problem), "waiting for the device");
    }
}

TEST(QtSerialPortProblem, DeviceHeldExclusivelyByAnotherProgramIsBusy) {
    test::TempDir dir;
    test::PtyPair pty(dir.file("com1"));
    // Another program's handle on the same tty, set exclusive as terminal
    // programs (and Qt) do.
    const int other = ::open(pty.devicePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::ioctl(other, TIOCEXCL), 0);
    {
        WithoutCapabilities user({CAP_SYS_ADMIN});
        const OpenAttempt a = openPort(dir.path(), 1);
        EXPECT_FALSE(a.open);
        EXPECT_EQ(a.problem.fault, PortFault::Busy) << a.problem.systemText;
        EXPECT_EQ(portProblemText(a.problem), "in use by another program");
    }
    ::close(other);
    const OpenAttempt freed = openPort(dir.path(), 1);
    EXPECT_TRUE(freed.open);
    EXPECT_EQ(freed.problem, PortProblem{});
}

TEST(QtSerialPortProblem, DeviceTheUserMayNotOpenAsksForTheDialoutGroup) {
    test::TempDir dir;
    test::PtyPair pty(dir.file("com1"));
    // Mode 000: as a serial device is to a user outside its group.
    ASSERT_EQ(::chmod(pty.devicePath().c_str(), 0), 0);
    WithoutCapabilities user({CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH});
    const OpenAttempt a = openPort(dir.path(), 1);
    EXPECT_FALSE(a.open);
    EXPECT_EQ(a.problem.fault, PortFault::NoPermission) << a.problem.systemText;
}

// Qt says PermissionError both for EACCES and for EBUSY (and for its own lock
// file); only the access probe tells them apart.
TEST(QtSerialPortProblem, QtErrorsMapToFaults) {
    const struct {
        QSerialPort::SerialPortError error;
        const char* text;
        int accessError;
        bool charDevice;
        PortProblem want;
    } cases[] = {
        {QSerialPort::NoError, "", 0, true, {}},
        {QSerialPort::DeviceNotFoundError,
         "No such file or directory",
         ENOENT,
         false,
         {PortFault::NoDevice, "No such file or directory"}},
        {QSerialPort::PermissionError,
         "Permission denied",
         EACCES,
         true,
         {PortFault::NoPermission, "Permission denied"}},
        {QSerialPort::PermissionError,
         "Operation not permitted",
         EPERM,
         true,
         {PortFault::NoPermission, "Operation not permitted"}},
        {QSerialPort::PermissionError,
         "Device or resource busy",
         0,
         true,
         {PortFault::Busy, "Device or resource busy"}},
        {QSerialPort::PermissionError,
         "Permission error while locking the device",
         0,
         true,
         {PortFault::Busy, "Permission error while locking the device"}},
        {QSerialPort::PermissionError,
         "Device or resource busy",
         ENOENT,
         false,
         {PortFault::NoDevice, "Device or resource busy"}},
        {QSerialPort::OpenError,
         "Inappropriate ioctl for device",
         0,
         false,
         {PortFault::Other, "not a serial device"}},
        {QSerialPort::ResourceError,
         "Input/output error",
         0,
         true,
         {PortFault::Other, "Input/output error"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(portProblemFor(c.error, c.text, c.accessError, c.charDevice), c.want);
    }
}

TEST(QtSerialPort, RejectsUnparsableSettings) {
    QtSerialPort port("/tmp");
    EXPECT_FALSE(port.setSettings("fast please"));
    EXPECT_TRUE(port.setSettings("9600,E,7,2"));
}

} // namespace
} // namespace korvane
