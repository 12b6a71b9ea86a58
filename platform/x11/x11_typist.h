#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string_view>
#include <vector>

#include "core/vocabulary.h"
#include "platform/x11/x11_keymap.h"
#include "platform/x11/x11_spare_keys.h"

// Types characters and keys through the XTEST extension on a connection of its own.
//
// XTest directly rather than libxdo: libxdo binds a spare keycode for a missing character
// and reverts it right after the key event, which loses the character in clients that
// translate later; it knows nothing of a transfer whose hotkey modifiers must be up
// first; and it has no way to press a key without its layout lookup. Finding the key and
// level of a character through XKB ourselves takes a few dozen lines.
class X11Typist {
  public:
    // nullptr when the display cannot be opened or lacks XTEST or XKB. A null name means
    // $DISPLAY.
    static std::unique_ptr<X11Typist> open(const char* displayName);
    ~X11Typist();
    X11Typist(const X11Typist&) = delete;
    X11Typist& operator=(const X11Typist&) = delete;

    // Takes a fresh look at the layout (the user may have switched since), waits, at most
    // two seconds, until no key is held (neither a modifier nor the hotkey's key), and
    // binds spare keycodes to whatever of the characters and keys the layout lacks.
    void prepare(std::string_view cp1252Characters, const std::vector<VirtualKey>& virtualKeys);
    void typeCharacter(char cp1252Byte);
    // A key by its keysym at its plain level; Return, Tab, Linefeed, Clear.
    void pressVirtualKey(VirtualKey virtualKey);
    // Waits until the server has handled every key event sent so far: they are then in the
    // focused client's queue.
    void sync() { XSync(display_, False); }
    // Waits until the server has taken every key event sent so far. False when a key of
    // this transfer could not be typed: no spare keycode for it, or the server refused one.
    bool finish();
    // Gives the spare keycodes bound during typing their empty mapping back.
    void restoreKeymap() { spareKeys_.restore(); }
    bool hasTemporaryBindings() const { return !spareKeys_.empty(); }

  private:
    explicit X11Typist(Display* display);
    X11Keymap& keymap();
    void typeKeysym(keysyms::Keysym keysym, bool plainOnly);
    void press(const X11Keymap::Stroke& stroke);
    void tap(KeyCode keycode);
    bool anyKeyHeld();

    Display* display_;
    std::unique_ptr<X11Keymap> keymap_;
    X11SpareKeys spareKeys_;
    bool failed_ = false;
};
