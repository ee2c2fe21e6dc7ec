#pragma once
// Desktop notifications of alarm raises and clears.

// Qt's headers first: the moc of Qt 6.4 fails on <compare> (from the clock)
// unless a Qt header came before it.
#include <QDBusConnection>

#include "alarms/alarm_text.h"

namespace korvane {

class AlarmNotifier {
public:
    virtual ~AlarmNotifier() = default;
    // Must return at once; a notification that cannot be shown is dropped.
    virtual void notify(const AlarmNotice& notice, bool raised) = 0;
};

// Sends to the freedesktop notifications service on the session bus
// (org.freedesktop.Notifications Notify), asynchronously: the reply is never
// waited for.  Without a session bus, or without a service on it, nothing is
// shown and nothing fails.  Raises go out as critical, clears as normal.
class DesktopNotifier final : public AlarmNotifier {
public:
    DesktopNotifier();
    explicit DesktopNotifier(const QDBusConnection& bus) : bus_(bus) {}
    void notify(const AlarmNotice& notice, bool raised) override;

private:
    QDBusConnection bus_;
};

} // namespace korvane
