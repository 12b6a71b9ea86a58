#pragma once

#include "platform/global_hotkeys.h"

// The hotkeys where the desktop lets no program grab keys (a Wayland session without a
// shortcut portal): nothing is grabbed and registering reports so, but the combinations
// stay in the settings as they are, and the wedge commands `lorvant --send` and
// `lorvant --erase`, bound in the desktop's own keyboard settings, arrive as their presses.
class CommandHotkeys : public GlobalHotkeys {
  public:
    bool registerHotkey(HotkeyId, HotkeyModifiers, VirtualKey) override { return false; }
    void unregisterHotkey(HotkeyId) override {}
    bool grabsKeys() const override { return false; }
};
