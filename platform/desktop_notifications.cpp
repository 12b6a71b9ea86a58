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
// The installed desktop entry: it names the program and gives the icon.
constexpr char kDesktopEntry[] = "org.lorvant.Lorvant";
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
    const QVariantMap hints{{"desktop-entry", QString(kDesktopEntry)}};
    call << QStringLiteral("Lorvant") << lastNotification << QString(kDesktopEntry) << summary
         << body << QStringList() << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [](QDBusPendingCallWatcher* finished) {
                         const QDBusPendingReply<uint> reply = *finished;
                         if (reply.isValid()) lastNotification = reply.value();
                         finished->deleteLater();
                     });
}
