#pragma once

#include <X11/Xlib.h>

#include <utility>
#include <vector>

#include "platform/keysyms.h"

// Keycodes that carry no symbol, bound for a while to characters the layout lacks so that
// those characters can still be typed as themselves.
//
// A binding must outlive its key event: clients translate a key press with the keymap
// they hold when they get round to it (xterm, for one, fetches the changed map only
// then), so undoing the binding right after the press loses the character. Bindings
// therefore stay until restore(), which the output calls after the transfer.
class X11SpareKeys {
  public:
    explicit X11SpareKeys(Display* display) : display_(display) {}

    // The keycode that now produces `keysym`: an earlier binding of the same keysym, else
    // the next of `unused` that is not bound yet. When every spare is taken the oldest
    // binding is reused. 0 when there are no spare keycodes at all.
    KeyCode bind(keysyms::Keysym keysym, const std::vector<KeyCode>& unused);
    // Like bind(), but 0 instead of taking a binding away when every spare is taken.
    KeyCode bindIfFree(keysyms::Keysym keysym, const std::vector<KeyCode>& unused);
    // Gives every bound keycode back its empty mapping.
    void restore();
    bool empty() const { return bindings_.empty(); }

  private:
    bool isBound(KeyCode keycode) const;
    KeyCode reuseOldest(keysyms::Keysym keysym);
    void setMapping(KeyCode keycode, keysyms::Keysym keysym);

    Display* display_;
    std::vector<std::pair<KeyCode, keysyms::Keysym>> bindings_;  // oldest first
};
