#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "private_session_bus.h"

// What the desktop portal tests run against: the real xdg-desktop-portal front end on a
// private session bus, with a stand-in desktop (tests/portal_standin_backend.cpp) as its
// RemoteDesktop and GlobalShortcuts backend; and a headless sway whose keyboard layout is
// a given set of characters.

// The private bus, the stand-in and the front end, with HOME and the XDG folders in a temporary
// folder.
class PortalDesktop {
  public:
    ~PortalDesktop();
    static bool available();
    // Starts all three, the stand-in first (the front end reads its properties once);
    // false with errorText() on failure.
    bool start();
    QString errorText() const { return error_; }
    // The test's own connection to the private bus, and the bus's address.
    QDBusConnection bus() const;
    QString address() const { return address_; }

    // The calls the stand-in received, one line each ("RemoteDesktop.Start",
    // "Keysym 0xe4 1", …), and the stand-in's answers.
    QStringList calls() const;
    QStringList callsStartingWith(const QString& prefix) const;
    // Forgets the calls and goes back to granting everything as asked.
    void reset() const;
    void setStartResponse(uint response) const;
    void setBindResponse(uint response) const;
    // The desktop binds `trigger` for shortcut `id` whatever was asked.
    void setBoundTrigger(const QString& id, const QString& trigger) const;
    // The user presses and releases the shortcut `id`.
    void activate(const QString& id) const;
    // The desktop ends the remote desktop session (the user stopped it).
    void closeRemoteSession() const;

  private:
    bool fail(const QString& why);
    bool startProcess(QProcess& process, const QString& program, const QStringList& arguments,
                      const QProcessEnvironment& environment);
    bool waitForName(const QString& name);
    void control(const QString& method, const QVariantList& arguments = {}) const;
    static void stop(QProcess& process);

    QTemporaryDir home_;
    PrivateSessionBus sessionBus_;
    QProcess standIn_;
    QProcess portal_;
    QString address_;
    QString error_;
};

// A headless sway run as an unprivileged user when the test runs as root (sway refuses
// root), whose seat's only keyboard is a virtual one (wtype) with a keymap of exactly the
// given characters, as every client of it receives.
class KeymapCompositor {
  public:
    ~KeymapCompositor();
    static bool available();
    // Starts sway and the keyboard; false with errorText() on failure.
    bool start(const QString& characters);
    QString errorText() const { return error_; }
    // The compositor's socket, for wl_display_connect.
    QByteArray socketPath() const { return socket_.toLocal8Bit(); }

  private:
    bool fail(const QString& why);
    QStringList asUser(const QString& program, const QStringList& arguments) const;
    QString runtimeDir_;
    QString socket_;
    QProcess sway_;
    QProcess keyboard_;
    QString error_;
};
