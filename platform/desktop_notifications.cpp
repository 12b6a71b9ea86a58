#include "platform/desktop_notifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {
constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
// The id the service gave the last notification: the next one takes its place.
uint lastNotification = 0;
DesktopNotifier installedNotifier;
}  // namespace

void setDesktopNotifier(DesktopNotifier notifier) {
    installedNotifier = std::move(notifier);
}

void notifyDesktop(const QString& summary, const QString& body) {
    if (installedNotifier) return installedNotifier(summary, body);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
    // The desktop entry names the program and gives the icon where the service shows one.
    const QVariantMap hints{{"desktop-entry", QStringLiteral("org.lorvant.Lorvant")}};
    call << QStringLiteral("Lorvant") << lastNotification << QStringLiteral("org.lorvant.Lorvant")
         << summary << body << QStringList() << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [](QDBusPendingCallWatcher* finished) {
                         const QDBusPendingReply<uint> reply = *finished;
                         if (reply.isValid()) lastNotification = reply.value();
                         finished->deleteLater();
                     });
}
