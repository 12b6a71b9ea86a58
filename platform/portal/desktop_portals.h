#pragma once

#include <QDBusConnection>
#include <memory>

class GlobalHotkeys;
class KeyboardOutput;

// The desktop portal's backends for a Wayland session whose compositor lets no ordinary
// program grab keys or type (GNOME, KDE).
namespace portal {

// What the desktop portal offers: global shortcuts, and typing through a remote desktop
// session with a keyboard. Asks the portal itself, which the bus starts when it is not
// running yet; both false when there is no portal or it does not answer in time.
struct DesktopPortals {
    bool globalShortcuts = false;
    bool remoteDesktopKeyboard = false;
};
DesktopPortals probeDesktopPortals(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                   int timeoutMs = 5000);

// True when the Wayland compositor of `waylandDisplay` (null: $WAYLAND_DISPLAY) offers the
// global `interface` to ordinary clients: "zwp_virtual_keyboard_manager_v1" tells the
// wlroots compositors, which type through it, from GNOME and KDE, which need the portal.
bool waylandCompositorOffers(const char* interface, const char* waylandDisplay = nullptr);

// The hotkeys through the GlobalShortcuts portal; nullptr when the portal lacks it.
std::unique_ptr<GlobalHotkeys> openPortalHotkeys(
    const QDBusConnection& bus = QDBusConnection::sessionBus());

// Typing through the RemoteDesktop portal, the characters checked against the layout of
// the Wayland display `waylandDisplay` (null: $WAYLAND_DISPLAY); nullptr when the portal
// offers no keyboard. Needs the application object.
std::unique_ptr<KeyboardOutput> openPortalKeyboard(
    const QDBusConnection& bus = QDBusConnection::sessionBus(),
    const char* waylandDisplay = nullptr);

}  // namespace portal
