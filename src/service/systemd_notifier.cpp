#include "systemd_notifier.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <systemd/sd-daemon.h>

namespace korvane {

SystemdNotifier::SystemdNotifier(QObject* parent) : QObject(parent) {
    const char* socket = std::getenv("NOTIFY_SOCKET");
    active_ = socket != nullptr && *socket != '\0';
    if (!active_)
        return;
    std::uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0) {
        // Half the period, as systemd advises: one late kick is not a death.
        watchdogMs_ = static_cast<int>(std::max<std::uint64_t>(usec / 1000, 2));
        watchdog_.setInterval(watchdogMs_ / 2);
        connect(&watchdog_, &QTimer::timeout, this, &SystemdNotifier::kick);
    }
}

void SystemdNotifier::ready(const std::string& text) {
    if (!active_)
        return;
    lastStatus_ = text;
    send("READY=1\nSTATUS=" + text);
    if (watchdogMs_ > 0) {
        kick();
        watchdog_.start();
    }
}

void SystemdNotifier::status(const std::string& text) {
    if (!active_ || text == lastStatus_)
        return;
    lastStatus_ = text;
    send("STATUS=" + text);
}

void SystemdNotifier::stopping() {
    if (!active_)
        return;
    watchdog_.stop();
    send("STOPPING=1");
}

void SystemdNotifier::kick() {
    send("WATCHDOG=1");
}

void SystemdNotifier::send(const std::string& message) {
    sd_notify(0, message.c_str());
}

} // namespace korvane
