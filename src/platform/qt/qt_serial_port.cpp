#include "qt_serial_port.h"

#include "platform/serial_adapters.h"

#include <cerrno>
#include <sys/stat.h>

namespace korvane {

namespace {

QSerialPort::Parity toQt(Parity p) {
    switch (p) {
    case Parity::Odd:
        return QSerialPort::OddParity;
    case Parity::Even:
        return QSerialPort::EvenParity;
    case Parity::Mark:
        return QSerialPort::MarkParity;
    case Parity::Space:
        return QSerialPort::SpaceParity;
    case Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

bool isCharDevice(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

} // namespace

PortProblem portProblemFor(QSerialPort::SerialPortError error, const std::string& errorText,
                           int accessError, bool isCharDevice) {
    switch (error) {
    case QSerialPort::NoError:
        return {};
    case QSerialPort::DeviceNotFoundError:
        return {PortFault::NoDevice, errorText};
    case QSerialPort::PermissionError:
        if (accessError == EACCES || accessError == EPERM)
            return {PortFault::NoPermission, errorText};
        // Gone between the open and the probe: the adapter was just pulled.
        if (accessError == ENOENT)
            return {PortFault::NoDevice, errorText};
        return {PortFault::Busy, errorText};
    default:
        break;
    }
    // Qt's words for a link to a file or folder are "Inappropriate ioctl for
    // device", which says nothing to someone who made a wrong link.
    if (!isCharDevice)
        return {PortFault::Other, "not a serial device"};
    return {PortFault::Other, errorText};
}

QtSerialPort::QtSerialPort(std::string appFolder, QObject* parent)
    : QObject(parent), appFolder_(std::move(appFolder)) {
    reopenTimer_.setSingleShot(true);
    connect(&reopenTimer_, &QTimer::timeout, this, [this] {
        if (wantOpen_ && !port_.isOpen() && !tryOpen())
            scheduleReopen();
    });
    connect(&port_, &QSerialPort::readyRead, this, [this] {
        if (handler_)
            handler_();
    });
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() {
    wantOpen_ = false;
    port_.close();
}

bool QtSerialPort::setSettings(std::string_view text) {
    auto parsed = parseLineSettings(text);
    if (!parsed)
        return false;
    settings_ = *parsed;
    return true;
}

std::string QtSerialPort::devicePath() const {
    return portDevicePath(portNumber_, appFolder_);
}

void QtSerialPort::open() {
    // Retries go to the device named now, even if its link disappears for a
    // while: an unplugged adapter must not be swapped for another port.
    openPath_ = devicePath();
    wantOpen_ = true;
    reopenAttempts_ = 0;
    reopenTimer_.stop();
    if (!port_.isOpen() && !tryOpen())
        scheduleReopen();
}

void QtSerialPort::close() {
    wantOpen_ = false;
    problem_ = {};
    reopenTimer_.stop();
    port_.close();
}

bool QtSerialPort::tryOpen() {
    // A com<n> link made (or remade) since open() wins; without one, the
    // device chosen at open() is kept.
    if (const std::string fresh = devicePath();
        fresh != openPath_ && fresh.rfind(appFolder_, 0) == 0)
        openPath_ = fresh;
    port_.setPortName(QString::fromLocal8Bit(openPath_.c_str()));
    // A failed open also reports an error signal; the caller schedules the
    // retry, so the signal must not schedule a second one over it.
    opening_ = true;
    const bool opened = port_.open(QIODevice::ReadOnly);
    opening_ = false;
    if (!opened) {
        // Only on a failure, at most every 5 s: two system calls, and the
        // device itself is never opened to find out.
        const QSerialPort::SerialPortError error = port_.error();
        problem_ =
            portProblemFor(error, port_.errorString().toLocal8Bit().toStdString(),
                           error == QSerialPort::PermissionError ? deviceAccessError(openPath_) : 0,
                           isCharDevice(openPath_));
        return false;
    }
    problem_ = {};
    // A pseudo-terminal takes these setters too; modem lines are never touched
    // because a pty refuses them.
    port_.setBaudRate(settings_.baud);
    port_.setParity(toQt(settings_.parity));
    port_.setDataBits(static_cast<QSerialPort::DataBits>(settings_.dataBits));
    port_.setStopBits(settings_.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    reopenAttempts_ = 0;
    return true;
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || opening_)
        return;
    if (port_.isOpen())
        port_.close();
    if (wantOpen_ && !reopenTimer_.isActive())
        scheduleReopen();
}

void QtSerialPort::scheduleReopen() {
    ++reopenAttempts_;
    reopenTimer_.start(reopenDelayMs(reopenAttempts_));
}

std::string QtSerialPort::readInput() {
    if (!port_.isOpen())
        return {};
    const QByteArray bytes = inputLength_ > 0 ? port_.read(inputLength_) : port_.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void QtSerialPort::discardInput() {
    // Only what Qt has already buffered is dropped.  Flushing the driver's
    // queue (QSerialPort::clear) could throw away bytes that arrived after
    // the read, which on this platform are the start of the next packet.
    if (port_.isOpen())
        port_.skip(port_.bytesAvailable());
}

} // namespace korvane
