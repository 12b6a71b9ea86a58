#pragma once

#include <memory>

class GlobalHotkeys;
class KeyboardOutput;

// The backends of a Wayland session, chosen by what the session offers; globalHotkeys() and
// keyboardOutput() make them once, on first use. The compositor is $WAYLAND_DISPLAY; the
// desktop portal is looked for on the session bus.

// Hotkeys: the desktop portal's GlobalShortcuts where it is offered (KDE Plasma 5.27 and
// later, GNOME 48 and later), else none of the program's own: the wedge commands, bound in
// the desktop's keyboard settings, do their work (CommandHotkeys).
std::unique_ptr<GlobalHotkeys> makeWaylandHotkeys();

// Typing: a virtual keyboard where the compositor offers one (sway, Hyprland, river, labwc,
// Wayfire), else the desktop portal's RemoteDesktop (GNOME, KDE), else an output that types
// nothing and says why.
std::unique_ptr<KeyboardOutput> makeWaylandOutput();
