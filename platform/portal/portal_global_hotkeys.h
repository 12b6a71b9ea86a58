#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QTimer>
#include <map>
#include <utility>

#include "platform/global_hotkeys.h"
#include "platform/portal/portal_request.h"

// Global hotkeys through the desktop portal's GlobalShortcuts interface (KDE Plasma 5.27
// and later, GNOME 48 and later). The two hotkeys are bound together as two shortcuts of
// one session, each with the stored combination as its preferred trigger; the desktop
// may ask the user, and has the last word on the keys. A desktop that binds other keys,
// or none, is told to the user once; the wedge commands stay usable either way.
//
// The portal binds a session's shortcuts only once, so a changed combination (a capture
// in the configuration window) closes the session and binds both anew in a fresh one.
class PortalGlobalHotkeys : public QObject, public GlobalHotkeys {
    Q_OBJECT
  public:
    explicit PortalGlobalHotkeys(QDBusConnection bus);
    ~PortalGlobalHotkeys() override;

    // Asks the desktop from the event loop; true when the id is one of the two hotkeys.
    bool registerHotkey(HotkeyId id, HotkeyModifiers modifiers, VirtualKey virtualKey) override;
    // The shortcut stays bound, but its presses are not reported until it is registered
    // again.
    void unregisterHotkey(HotkeyId id) override;

    // False once the desktop refused the shortcuts, bound one of them to no key, or ended
    // their session: then only the wedge commands, bound in the desktop's own keyboard
    // settings, reach the program. True before the desktop has answered.
    bool grabsKeys() const override { return keysBound_; }

    // True while the desktop is being asked.
    bool binding() const { return busy_ || bindTimer_.isActive(); }

  private slots:
    void onActivated(const QDBusObjectPath& session, const QString& shortcutId,
                     qulonglong timestamp, const QVariantMap& options);
    // Only the current session's end counts: one closed before may still be told late.
    void onSessionClosed(const QDBusMessage& signal);

  private:
    struct Hotkey {
        HotkeyModifiers modifiers{};
        VirtualKey virtualKey{};
        bool active = false;
    };
    using Combinations = std::map<HotkeyId, std::pair<HotkeyModifiers, VirtualKey>>;

    Combinations wanted() const;
    void bind();
    void created(const portal::Response& response, const QString& token,
                 const Combinations& combinations);
    void bound(const portal::Response& response, const Combinations& combinations);
    void finishBind();
    void tellOnce(const QString& text);
    void closeSession();

    QDBusConnection bus_;
    std::map<HotkeyId, Hotkey> hotkeys_;
    QString session_;
    Combinations boundWith_;
    QTimer bindTimer_;
    bool busy_ = false;
    bool bindAgain_ = false;
    bool keysBound_ = true;
    QString told_;
};
