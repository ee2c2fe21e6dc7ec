#pragma once
// Telling systemd how korvaned is: READY=1 once it is up, STATUS= lines for
// `systemctl status`, WATCHDOG=1 from the event loop so a stalled loop gets
// the service restarted, and STOPPING=1 on the way out.  Without
// NOTIFY_SOCKET (started by hand, or by a supervisor that is not systemd)
// nothing of this happens.

#include <QObject>
#include <QTimer>

#include <string>

namespace korvane {

class SystemdNotifier final : public QObject {
    Q_OBJECT
public:
    explicit SystemdNotifier(QObject* parent = nullptr);

    bool active() const { return active_; }
    // The watchdog period asked for (WATCHDOG_USEC), in ms; 0: none.
    int watchdogMs() const { return watchdogMs_; }

    void ready(const std::string& status);
    // Sent only when it differs from the last one.
    void status(const std::string& text);
    void stopping();

private:
    void send(const std::string& message);
    void kick();

    bool active_ = false;
    int watchdogMs_ = 0;
    std::string lastStatus_;
    QTimer watchdog_;
};

} // namespace korvane
