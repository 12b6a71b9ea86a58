#pragma once

#include <QString>

#include "core/vocabulary.h"

// Hotkeys as the desktop's shortcut settings write them: modifiers and a key name joined
// by "+", as in "CTRL+ALT+s" (the freedesktop.org shortcuts format that the
// GlobalShortcuts portal takes as a preferred trigger).
namespace portal {

// The trigger for a stored hotkey (its modifiers and Windows virtual-key code): CTRL, ALT and SHIFT
// in that order, then the name of the key's keysym ("s", "F5", "KP_1", "semicolon"). Empty when the
// key is 0 or has no keysym: the desktop then lets the user choose.
QString shortcutTrigger(HotkeyModifiers modifiers, VirtualKey virtualKey);

// True when a desktop's text for a bound shortcut ("Ctrl+Alt+S", "Strg+Alt+S",
// "CTRL+ALT+s") names the same modifiers and key as the stored hotkey.
bool sameShortcut(const QString& desktopText, HotkeyModifiers modifiers, VirtualKey virtualKey);

}  // namespace portal
