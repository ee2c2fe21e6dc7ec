// Desktop notifications over a real session bus of the test's own (a
// dbus-daemon it starts), to a stand-in for the notifications service, so
// the test never depends on, or disturbs, the desktop of whoever runs it.

#include "alarms/qt/alarm_notifier.h"
#include "support/event_pump.h"

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
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

// A private session bus: dbus-daemon started for the test and stopped after
// it.  A missing dbus-daemon fails the test rather than skipping it.
class PrivateBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        ASSERT_FALSE(daemon.isEmpty()) << "dbus-daemon is missing (scripts/install-deps.sh)";
        bus_.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                            QStringLiteral("--print-address=1")});
        ASSERT_TRUE(bus_.waitForStarted(5000)) << "dbus-daemon did not start";
        ASSERT_TRUE(test::pumpUntil([&] { return bus_.canReadLine(); }, 10000))
            << "dbus-daemon gave no address";
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        ASSERT_FALSE(address_.isEmpty());
        service_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address_, QStringLiteral("korvane-test-service")));
        ASSERT_TRUE(service_->isConnected()) << address_.toStdString();
        ASSERT_TRUE(service_->registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                             &fake, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service_->registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    void TearDown() override {
        service_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("korvane-test-service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("korvane-test-client"));
        if (bus_.state() != QProcess::NotRunning) {
            bus_.terminate();
            if (!bus_.waitForFinished(5000))
                bus_.kill();
            bus_.waitForFinished(5000);
        }
    }
    QDBusConnection client() const {
        return QDBusConnection::connectToBus(address_, QStringLiteral("korvane-test-client"));
    }

    FakeNotifications fake;

private:
    QProcess bus_;
    QString address_;
    std::unique_ptr<QDBusConnection> service_;
};

TEST_F(PrivateBusTest, RaisesGoOutAsCriticalAndClearsAsNormalWithoutWaiting) {
    DesktopNotifier notifier(client());
    notifier.notify({"Battery low", "11.42 V since 14:05"}, true);
    notifier.notify({"Battery low cleared", "12.1 V at 14:15"}, false);
    EXPECT_TRUE(fake.calls.empty()) << "notify() waited for the service";
    ASSERT_TRUE(test::pumpUntil([&] { return fake.calls.size() == 2; }, 5000));
    EXPECT_EQ(fake.calls[0].app, "Korvane");
    EXPECT_EQ(fake.calls[0].icon, "dialog-warning");
    EXPECT_EQ(fake.calls[0].summary, "Battery low");
    EXPECT_EQ(fake.calls[0].body, "11.42 V since 14:05");
    EXPECT_EQ(fake.calls[0].urgency, 2);
    EXPECT_EQ(fake.calls[1].icon, "dialog-information");
    EXPECT_EQ(fake.calls[1].summary, "Battery low cleared");
    EXPECT_EQ(fake.calls[1].urgency, 1);
}

} // namespace
} // namespace korvane

#include "alarm_notifier_test.moc"
