#include "transfer/desktop_notification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdlib>

#include "platform/paths.h"

namespace transfer {
namespace {

// Long enough for a running service to answer, short enough that a hung
// one does not keep the finished transfer window on screen.
constexpr int kReplyTimeoutMs = 1000;

}  // namespace

bool DesktopNotification::Send(const std::string& summary, const std::string& body) {
    // Only a bus the session announces: asking for one otherwise may start
    // a bus daemon of its own that outlives us.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if ((!address || !*address) &&
        !(runtime && *runtime && platform::FileExists(std::string(runtime) + "/bus")))
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    call << QStringLiteral("Skiff") << 0u << QStringLiteral("skiff")
         << QString::fromStdString(summary).toHtmlEscaped()
         << QString::fromStdString(body).toHtmlEscaped() << QStringList() << QVariantMap() << -1;
    // Waited for, because the program ends right after: a message still
    // queued then would be lost.
    QDBusMessage reply = bus.call(call, QDBus::Block, kReplyTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace transfer
