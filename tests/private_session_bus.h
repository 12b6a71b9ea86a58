#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// A session bus of the test's own: dbus-daemon with an allow-all policy and no service
// folders, so nothing on it starts by itself and nothing of the machine's reaches it.
class PrivateSessionBus {
  public:
    ~PrivateSessionBus();
    static bool available();
    // Starts the daemon, its configuration and socket in `folder` (which exists), run in
    // `environment`; false with errorText() when it does not come up.
    bool start(const QString& folder,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    // What DBUS_SESSION_BUS_ADDRESS says to the processes that are to use it.
    QString address() const { return address_; }
    QString errorText() const { return error_; }
    // The test's own connection to it, under `name`.
    QDBusConnection connection(const QString& name) const;
    // Waits until someone owns `name` on it; false after the start timeout.
    bool waitForName(const QString& connectionName, const QString& name) const;

  private:
    QProcess daemon_;
    QString address_;
    QString error_;
};
