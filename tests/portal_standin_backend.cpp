// A stand-in desktop behind the real xdg-desktop-portal front end: it implements the
// backend side of RemoteDesktop and GlobalShortcuts, records every call it receives (the
// test reads them with Calls), and answers as the test tells it through a small control
// interface on the same bus.
//
//   portal-standin-backend <bus name>
//
// Runs on the session bus of DBUS_SESSION_BUS_ADDRESS until it is stopped.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QDateTime>
#include <QStringList>
#include <cstdio>

#include "platform/portal/portal_shortcut.h"

namespace {

using portal::Shortcut;
using portal::Shortcuts;

const QString kDesktopPath = "/org/freedesktop/portal/desktop";
const QString kControlPath = "/org/lorvant/PortalStandIn";
const QString kControl = "org.lorvant.PortalStandIn";
const QString kRemoteDesktop = "org.freedesktop.impl.portal.RemoteDesktop";
const QString kShortcuts = "org.freedesktop.impl.portal.GlobalShortcuts";
const QString kSession = "org.freedesktop.impl.portal.Session";
const QString kProperties = "org.freedesktop.DBus.Properties";

QVariantMap vardict(const QVariant& argument) {
    return qdbus_cast<QVariantMap>(argument);
}

QString path(const QVariant& argument) {
    return argument.value<QDBusObjectPath>().path();
}

// "key=value" for the options a test looks at, in a fixed order.
QString describeOptions(const QVariantMap& options) {
    QStringList parts;
    for (auto it = options.begin(); it != options.end(); ++it) {
        if (it.key() == "handle_token" || it.key() == "session_handle_token") continue;
        parts << it.key() + "=" + it.value().toString();
    }
    return parts.join(' ');
}

class StandIn : public QDBusVirtualObject {
  public:
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QDBusMessage reply = answer(message);
        if (reply.type() == QDBusMessage::InvalidMessage) return false;
        connection.send(reply);
        return true;
    }

  private:
    QStringList calls_;
    uint startResponse_ = 0;
    uint bindResponse_ = 0;
    uint deviceTypes_ = 1;
    QMap<QString, QString> boundTriggers_;  // shortcut id -> trigger the desktop "chose"
    QString remoteSession_;
    QString shortcutsSession_;

    void record(const QString& call) { calls_ << call; }

    static QDBusMessage reply(const QDBusMessage& message, uint response,
                              const QVariantMap& results = {}) {
        return message.createReply(QVariantList{response, results});
    }

    QDBusMessage answer(const QDBusMessage& message) {
        const QString interface = message.interface();
        const QVariantList args = message.arguments();
        if (message.path() == kControlPath && interface == kControl) return control(message);
        if (interface == kProperties) return properties(message);
        if (interface == kSession && message.member() == "Close") {
            record("Session.Close " + QString(message.path() == remoteSession_      ? "remote"
                                              : message.path() == shortcutsSession_ ? "shortcuts"
                                                                                    : "other"));
            return message.createReply();
        }
        if (message.path() != kDesktopPath) return {};
        if (interface == kRemoteDesktop) return remoteDesktop(message, args);
        if (interface == kShortcuts) return shortcuts(message, args);
        return {};
    }

    QDBusMessage properties(const QDBusMessage& message) {
        const QString interface = message.arguments().value(0).toString();
        QVariantMap values;
        if (interface == kRemoteDesktop) {
            values = {{"AvailableDeviceTypes", deviceTypes_}, {"version", 1u}};
        } else if (interface == kShortcuts || interface == kSession) {
            values = {{"version", 1u}};
        }
        if (message.member() == "GetAll") return message.createReply(QVariantList{values});
        if (message.member() == "Get") {
            const QString name = message.arguments().value(1).toString();
            if (!values.contains(name))
                return message.createErrorReply(QDBusError::InvalidArgs, "no such property");
            return message.createReply(
                QVariantList{QVariant::fromValue(QDBusVariant(values[name]))});
        }
        return message.createErrorReply(QDBusError::NotSupported, "read-only");
    }

    QDBusMessage remoteDesktop(const QDBusMessage& message, const QVariantList& args) {
        const QString member = message.member();
        if (member == "CreateSession") {
            remoteSession_ = path(args.value(1));
            record("RemoteDesktop.CreateSession app=" + args.value(2).toString());
            return reply(message, 0, {{"session_id", "remote"}});
        }
        if (member == "SelectDevices") {
            record("RemoteDesktop.SelectDevices " + describeOptions(vardict(args.value(3))));
            return reply(message, 0);
        }
        if (member == "Start") {
            record("RemoteDesktop.Start");
            if (startResponse_ != 0) return reply(message, startResponse_);
            return reply(message, 0, {{"devices", 1u}});
        }
        if (member == "NotifyKeyboardKeysym") {
            record(QString("Keysym 0x%1 %2")
                       .arg(args.value(2).toInt(), 0, 16)
                       .arg(args.value(3).toUInt()));
            return message.createReply();
        }
        if (member.startsWith("Notify")) {
            record("RemoteDesktop." + member);
            return message.createReply();
        }
        return {};
    }

    QDBusMessage shortcuts(const QDBusMessage& message, const QVariantList& args) {
        const QString member = message.member();
        if (member == "CreateSession") {
            shortcutsSession_ = path(args.value(1));
            record("GlobalShortcuts.CreateSession app=" + args.value(2).toString());
            return reply(
                message, 0,
                {{"session_id", "shortcuts"}, {"shortcuts", QVariant::fromValue(Shortcuts{})}});
        }
        if (member == "BindShortcuts") {
            const auto requested = qdbus_cast<Shortcuts>(args.value(2));
            QStringList described;
            Shortcuts bound;
            for (const Shortcut& shortcut : requested) {
                const QString wanted = shortcut.properties.value("preferred_trigger").toString();
                described << shortcut.id + "|" +
                                 shortcut.properties.value("description").toString() + "|" + wanted;
                const QString trigger = boundTriggers_.value(shortcut.id, wanted);
                bound << Shortcut{shortcut.id,
                                  {{"description", shortcut.properties.value("description")},
                                   {"trigger_description", trigger}}};
            }
            record("GlobalShortcuts.BindShortcuts " + described.join(' '));
            if (bindResponse_ != 0) return reply(message, bindResponse_);
            return reply(message, 0, {{"shortcuts", QVariant::fromValue(bound)}});
        }
        if (member == "ListShortcuts")
            return reply(message, 0, {{"shortcuts", QVariant::fromValue(Shortcuts{})}});
        return {};
    }

    void emitSignal(const QString& path, const QString& interface, const QString& name,
                    const QVariantList& args) {
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, name);
        signal.setArguments(args);
        QDBusConnection::sessionBus().send(signal);
    }

    QDBusMessage control(const QDBusMessage& message) {
        const QString member = message.member();
        const QVariantList args = message.arguments();
        if (member == "Calls") return message.createReply(QVariantList{calls_});
        if (member == "Reset") {
            calls_.clear();
            startResponse_ = bindResponse_ = 0;
            boundTriggers_.clear();
        } else if (member == "SetStartResponse") {
            startResponse_ = args.value(0).toUInt();
        } else if (member == "SetBindResponse") {
            bindResponse_ = args.value(0).toUInt();
        } else if (member == "SetBoundTrigger") {
            boundTriggers_[args.value(0).toString()] = args.value(1).toString();
        } else if (member == "Activate") {
            // A press and release of the shortcut, as the desktop reports it.
            const QVariantList signalArgs{
                QVariant::fromValue(QDBusObjectPath(shortcutsSession_)), args.value(0),
                QVariant::fromValue(qulonglong(QDateTime::currentMSecsSinceEpoch() * 1000)),
                QVariantMap{}};
            emitSignal(kDesktopPath, kShortcuts, "Activated", signalArgs);
            emitSignal(kDesktopPath, kShortcuts, "Deactivated", signalArgs);
        } else if (member == "CloseRemoteSession") {
            emitSignal(remoteSession_, kSession, "Closed", {});
        } else {
            return message.createErrorReply(QDBusError::UnknownMethod, member);
        }
        return message.createReply();
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: portal-standin-backend <bus name>\n");
        return 2;
    }
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<Shortcuts>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    StandIn standIn;
    if (!bus.registerVirtualObject(kDesktopPath, &standIn, QDBusConnection::SubPath) ||
        !bus.registerVirtualObject(kControlPath, &standIn) || !bus.registerService(argv[1])) {
        std::fprintf(stderr, "portal-standin-backend: cannot serve on the bus: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    return app.exec();
}
