#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <memory>
#include <optional>

#include "platform/keyboard_output.h"
#include "platform/portal/keysym_choice.h"
#include "platform/portal/portal_request.h"

class WaylandKeymap;

// Keystrokes through the desktop portal's RemoteDesktop interface (GNOME, KDE: their
// compositors offer no virtual keyboard to ordinary programs). The first transfer starts
// one session for the whole run, with the keyboard as its only device; the desktop asks
// the user's permission then. Each character goes out as a keysym, which the desktop
// types with whatever key and Shift or AltGr its active layout has for it.
//
// Before the first key every character and terminator is looked up in the active layout
// (the keymap the compositor gives this program's own Wayland connection): the desktop
// drops a keysym its layout lacks, so a transfer holding one types nothing at all.
class PortalKeyboardOutput : public QObject, public KeyboardOutput {
    Q_OBJECT
  public:
    // `keymap` may be null (no Wayland connection): the characters then go out unchecked.
    PortalKeyboardOutput(QDBusConnection bus, std::unique_ptr<WaylandKeymap> keymap);
    ~PortalKeyboardOutput() override;

    void beginTransfer(std::string_view cp1252Characters,
                       const std::vector<VirtualKey>& virtualKeys) override;
    void typeCharacter(char cp1252Byte) override;
    void pressVirtualKey(VirtualKey virtualKey) override;
    // Each key has gone out when it returns (the desktop answered its call); nothing to
    // wait for once the transfer has failed.
    bool flush() override { return failure_.isEmpty(); }
    bool endTransfer() override;
    std::string problem() const override;

    // How long the desktop may take to answer a call, and the user to decide in its
    // permission dialog; and the pause after a fresh permission, in which the focus goes
    // back from the dialog to the window the keys are for.
    void setTimeouts(int callMs, int permissionMs, int settleMs);
    // True while a session the desktop has granted is open.
    bool hasSession() const { return !session_.isEmpty(); }

  private slots:
    // Only the current session's end counts: one closed before may still be told late.
    void onSessionClosed(const QDBusMessage& signal);

  private:
    bool checkLayout(std::string_view characters, const std::vector<VirtualKey>& virtualKeys);
    bool startSession();
    QVariantMap deviceOptions() const;
    bool refused(const portal::Response& response);
    void closeSession();
    void sendKeysym(std::optional<uint32_t> keysym);
    void fail(const QString& reason);

    QDBusConnection bus_;
    std::unique_ptr<WaylandKeymap> keymap_;
    portal::KeysymChoice choice_{std::nullopt};
    QString session_;  // empty while there is none
    bool closedByDesktop_ = false;
    QString failure_;  // why the current transfer types nothing (more)
    int callTimeoutMs_ = 10000;
    int permissionTimeoutMs_ = 180000;
    int settleMs_ = 500;
};
