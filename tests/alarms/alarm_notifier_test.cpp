// Desktop notifications over a real session bus, to a stand-in for the
// notifications service registered by the test itself.

#include "alarms/qt/alarm_notifier.h"
#include "support/event_pump.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QObject>
#include <QVariantMap>
#include <gtest/gtest.h>

namespace korvane {
namespace {

class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString app, icon, summary, body;
        int urgency = -1;
    };
    std::vector<Call> calls;

public slots:
    uint Notify(const QString& app, uint, const QString& icon, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int) {
        calls.push_back({app, icon, summary, body, hints.value(QStringLiteral("urgency")).toInt()});
        return static_cast<uint>(calls.size());
    }
};

TEST(DesktopNotifier, WithoutABusNothingIsSentAndNothingFails) {
    DesktopNotifier notifier(QDBusConnection(QStringLiteral("never connected")));
    notifier.notify({"Battery low", "11.4 V since 14:05"}, true);
}

TEST(DesktopNotifier, SendsRaisesAsCriticalAndClearsAsNormal) {
    // Only on a bus of the test's own: on a desktop the name is taken by the
    // real service, whose notifications the test must not send.
    if (qEnvironmentVariableIsEmpty("KORVANE_PRIVATE_BUS") ||
        !QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "needs a private session bus (ctest runs it under dbus-run-session)";
    QDBusConnection service =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("service"));
    FakeNotifications fake;
    ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));

    DesktopNotifier notifier;
    notifier.notify({"Battery low", "11.42 V since 14:05"}, true);
    notifier.notify({"Battery low cleared", "12.1 V at 14:15"}, false);
    EXPECT_TRUE(fake.calls.empty()) << "notify() waited for the service";
    ASSERT_TRUE(test::pumpUntil([&] { return fake.calls.size() == 2; }, 5000));
    EXPECT_EQ(fake.calls[0].app, "Korvane");
    EXPECT_EQ(fake.calls[0].summary, "Battery low");
    EXPECT_EQ(fake.calls[0].body, "11.42 V since 14:05");
    EXPECT_EQ(fake.calls[0].urgency, 2);
    EXPECT_EQ(fake.calls[1].summary, "Battery low cleared");
    EXPECT_EQ(fake.calls[1].urgency, 1);
    service.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
}

} // namespace
} // namespace korvane

#include "alarm_notifier_test.moc"
