// The finished-download notification against a private session bus with a
// stand-in notification service, and without any bus at all.
#include "transfer/desktop_notification.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdlib>
#include <future>

namespace {

class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList received;

public slots:
    uint Notify(const QString& app, uint, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap&, int) {
        received << app << summary << body;
        return 1;
    }
};

TEST(DesktopNotification, ReachesTheServiceAsPlainTextAndNeedsNoBus) {
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    setenv("XDG_RUNTIME_DIR", "/nonexistent", 1);
    EXPECT_FALSE(transfer::DesktopNotification::Send("s", "b")) << "no bus: nothing happens";

    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(daemon.waitForStarted(5000));
    QByteArray address;
    for (int i = 0; i < 50 && !address.contains('\n'); ++i) {
        daemon.waitForReadyRead(100);
        address += daemon.readAllStandardOutput();
    }
    address = address.trimmed();
    ASSERT_FALSE(address.isEmpty());
    setenv("DBUS_SESSION_BUS_ADDRESS", address.constData(), 1);

    FakeNotifications service;
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromUtf8(address), "service");
    ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/Notifications", &service,
                                   QDBusConnection::ExportAllSlots));
    // The sender waits for the reply, which this thread's loop serves.
    auto sent = std::async(std::launch::async, [] {
        return transfer::DesktopNotification::Send("Download finished", "<b>x</b>.zip has arrived");
    });
    QElapsedTimer clock;
    clock.start();
    while (sent.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready &&
           clock.elapsed() < 10000)
        QCoreApplication::processEvents();
    ASSERT_EQ(sent.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    EXPECT_TRUE(sent.get());
    EXPECT_EQ(service.received,
              (QStringList{"Skiff", "Download finished", "&lt;b&gt;x&lt;/b&gt;.zip has arrived"}));
    QDBusConnection::disconnectFromBus("service");
    daemon.kill();
    daemon.waitForFinished(5000);
}

}  // namespace

#include "desktop_notification_test.moc"
