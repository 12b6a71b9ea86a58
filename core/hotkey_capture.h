#pragma once

#include <string>

#include "core/vocabulary.h"

// A hotkey as the capture field builds it from one key-down: the readable text, the
// modifier set and the Windows virtual-key code, 0 when the key pressed lies outside the
// keys a hotkey may end on.
struct HotkeyCapture {
    std::string text;
    HotkeyModifiers modifiers{};
    VirtualKey key{};
};

// Builds the hotkey for one key-down in a hotkey field. The text always names the
// modifiers in the order Shift, Alt, Ctrl, and a hotkey without modifier becomes an Alt
// hotkey, so a bare letter can never take over the keyboard.
HotkeyCapture captureHotkey(VirtualKey virtualKey, bool shift, bool alt, bool ctrl);
