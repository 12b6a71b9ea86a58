#pragma once

#include <QKeyEvent>

#include "core/vocabulary.h"

// The Windows virtual-key code of a key event, as the hotkey capture takes it, so that
// the stored hotkeys read the same on every platform.

// From Qt's key code alone: letters 65-90, digits 48-57 (96-105 with keypadModifier),
// F1-F24 112-135, the numpad operators 106-111, navigation and editing keys, modifiers,
// and punctuation as the VK_OEM_* codes of a US or German keyboard. A shifted symbol
// counts as its US key ("!" is the 1 key). 0 for keys without a code.
VirtualKey virtualKeyForQtKey(int qtKey, bool keypad);

// From a key event: Windows gives the code itself; on X11 the event's keycode is looked
// up at its unshifted level, so Shift+1 is the 1 key on any layout; elsewhere (and for
// synthesised events) Qt's key code as above.
VirtualKey virtualKeyFromKeyEvent(const QKeyEvent& event);
