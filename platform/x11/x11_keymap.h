#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <optional>
#include <vector>

#include "platform/keysyms.h"

// A snapshot of the X server's keyboard layout, taken for one transfer or one round of
// hotkey grabs: which key and modifiers produce a keysym in the current group, which
// keys press the modifiers, and which keycodes carry nothing.
class X11Keymap {
  public:
    struct Stroke {
        KeyCode keycode = 0;
        unsigned int modifiers = 0;  // ShiftMask and/or the level-three modifier
    };

    explicit X11Keymap(Display* display);
    ~X11Keymap();
    X11Keymap(const X11Keymap&) = delete;
    X11Keymap& operator=(const X11Keymap&) = delete;

    // Where the layout keeps `keysym`: the fewest modifiers first (plain, Shift, AltGr,
    // Shift+AltGr), taking the locked Caps Lock and Num Lock into account. With
    // plainOnly, only a key that gives the keysym without any modifier.
    std::optional<Stroke> find(keysyms::Keysym keysym, bool plainOnly = false) const;
    // The key that sets a modifier of a Stroke, 0 if the layout has none.
    KeyCode modifierKey(unsigned int modifier) const;
    // The key whose unshifted symbol is the one Windows names by `virtualKey`, else the
    // first key that carries the keysym of the code at any level; 0 if none.
    KeyCode keycodeForVirtualKey(VirtualKey virtualKey) const;
    // The real modifier bound to Num Lock (usually Mod2), 0 if none.
    unsigned int numLockMask() const { return numLockMask_; }
    // Keycodes with no symbol at all: free to bind a character for a while.
    std::vector<KeyCode> unusedKeycodes() const;

  private:
    keysyms::Keysym translate(KeyCode keycode, unsigned int modifiers) const;
    keysyms::Keysym baseKeysym(KeyCode keycode) const;
    bool hasSymbols(int keycode) const;

    Display* display_;
    XkbDescPtr xkb_ = nullptr;
    XModifierKeymap* modifierMap_ = nullptr;
    int group_ = 0;
    unsigned int lockedModifiers_ = 0;
    unsigned int levelThreeMask_ = 0;
    unsigned int numLockMask_ = 0;
};

// The Windows virtual-key code of an X key press: the key's unshifted symbol in the
// press's keyboard group (Shift+1 is the 1 key, the German Z key is Z), except on the
// numpad, where the symbol produced tells numpad 1 (Num Lock on) from End. 0 if none.
VirtualKey virtualKeyOfX11Key(Display* display, unsigned int keycode, keysyms::Keysym produced,
                              unsigned int state);
