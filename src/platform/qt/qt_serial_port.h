#pragma once
// SerialPort over QSerialPort.  Faults (a pulled adapter, a pseudo-terminal
// whose far end went away) close the port at once, because Qt would otherwise
// report the same ReadError in a busy loop; the port then reopens itself
// quietly on a timer until close() is called.

#include "platform/serial_port.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>

namespace korvane {

class QtSerialPort final : public QObject, public SerialPort {
    Q_OBJECT
public:
    // appFolder: where com<n> links are looked for.
    explicit QtSerialPort(std::string appFolder, QObject* parent = nullptr);
    ~QtSerialPort() override;

    void setPortNumber(int number) override { portNumber_ = number; }
    int portNumber() const override { return portNumber_; }
    bool setSettings(std::string_view text) override;
    void setInputLength(int length) override { inputLength_ = length; }
    void open() override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    PortProblem problem() const override { return problem_; }
    std::string readInput() override;
    void discardInput() override;
    void setCommEventHandler(std::function<void()> handler) override {
        handler_ = std::move(handler);
    }

    // The device the current port number leads to.
    std::string devicePath() const;

private:
    bool tryOpen();
    void onError(QSerialPort::SerialPortError error);
    void scheduleReopen();

    std::string appFolder_;
    std::string openPath_;
    QSerialPort port_;
    QTimer reopenTimer_;
    int reopenAttempts_ = 0;
    bool wantOpen_ = false;
    bool opening_ = false;
    int portNumber_ = 1;
    LineSettings settings_;
    int inputLength_ = 0;
    PortProblem problem_;
    std::function<void()> handler_;
};

// What a failed QSerialPort::open means for the user.  Qt reports a missing
// device as DeviceNotFoundError, but a device held by another program (the
// kernel's EBUSY on an exclusive tty, or Qt's lock file) and one the user may
// not open (EACCES) both as PermissionError; they are told apart by
// accessError, the errno of deviceAccessError() on the path (0: it could be
// opened, so someone else has it).  isCharDevice: the path leads to a
// character device, so an open that still failed is not a user's mistake.
PortProblem portProblemFor(QSerialPort::SerialPortError error, const std::string& errorText,
                           int accessError, bool isCharDevice);

} // namespace korvane
