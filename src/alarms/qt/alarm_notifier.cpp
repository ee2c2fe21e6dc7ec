#include "alarm_notifier.h"

#include "platform/qt/qt_platform.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>
#include <QVariantMap>

namespace korvane {

DesktopNotifier::DesktopNotifier() : bus_(QDBusConnection::sessionBus()) {}

void DesktopNotifier::notify(const AlarmNotice& notice, bool raised) {
    if (!bus_.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    // The notification service's urgency levels: 1 normal, 2 critical.  A critical
    // notice stays until dismissed, which suits an unattended system.
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(raised ? 2 : 1));
    call << QStringLiteral("Korvane") << static_cast<uint>(0)
         << (raised ? QStringLiteral("dialog-warning") : QStringLiteral("dialog-information"))
         << fromLocal8(notice.summary) << fromLocal8(notice.body) << QStringList() << hints
         << static_cast<int>(-1);
    // The pending reply is dropped: the notification id is of no use here
    // and an error reply (no service) must not reach the user.
    bus_.asyncCall(call);
}

} // namespace korvane
