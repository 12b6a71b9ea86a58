#pragma once

#include <string>

// A hotkey as the capture field builds it from one key-down: the readable text, the
// modifier set (1 Alt, 2 Ctrl, 4 Shift) and the Windows virtual-key code, 0 when the key
// pressed lies outside the keys a hotkey may end on.
struct HotkeyCapture {
    std::string text;
    int modifiers = 0;
    int key = 0;
};

enum HotkeyModifier { HotkeyAlt = 1, HotkeyCtrl = 2, HotkeyShift = 4 };

// Builds the hotkey for one key-down in a hotkey field. The text always names the
// modifiers in the order Shift, Alt, Ctrl, and a hotkey without modifier becomes an Alt
// hotkey, so a bare letter can never take over the keyboard.
HotkeyCapture captureHotkey(int virtualKey, bool shift, bool alt, bool ctrl);
