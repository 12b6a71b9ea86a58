#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

namespace portal {

// One element of the GlobalShortcuts portal's a(sa{sv}): a shortcut id and its properties.
struct Shortcut {
    QString id;
    QVariantMap properties;
};
using Shortcuts = QList<Shortcut>;

inline QDBusArgument& operator<<(QDBusArgument& argument, const Shortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, Shortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

}  // namespace portal

Q_DECLARE_METATYPE(portal::Shortcut)
