#include "transfer/hotkey_capture.h"

namespace {

constexpr int firstCharacterKey = 33;  // Page Up; the range ends with the numpad "/" (111)
constexpr int lastCharacterKey = 111;
constexpr int firstFunctionKey = 112;  // F1
constexpr int lastFunctionKey = 123;   // F12

void addModifiers(HotkeyCapture& capture, bool shift, bool alt, bool ctrl) {
    if (shift) {
        capture.text += "Shift+";
        capture.modifiers += HotkeyShift;
    }
    if (alt) {
        capture.text += "Alt+";
        capture.modifiers += HotkeyAlt;
    }
    if (ctrl) {
        capture.text += "Ctrl+";
        capture.modifiers += HotkeyCtrl;
    }
    if (capture.modifiers == 0) {
        capture.text += "Alt+";
        capture.modifiers = HotkeyAlt;
    }
}

void addKey(HotkeyCapture& capture, int virtualKey) {
    if (virtualKey >= firstCharacterKey && virtualKey <= lastCharacterKey) {
        // The key's own code read as a character: capitals for letters, digits for the
        // digit row, and whatever character shares the code for the rest (numpad 1 -> "a").
        capture.text += static_cast<char>(virtualKey);
        capture.key = virtualKey;
    } else if (virtualKey >= firstFunctionKey && virtualKey <= lastFunctionKey) {
        capture.text += "F" + std::to_string(virtualKey - (firstFunctionKey - 1));
        capture.key = virtualKey;
    }
}

}  // namespace

HotkeyCapture captureHotkey(int virtualKey, bool shift, bool alt, bool ctrl) {
    HotkeyCapture capture;
    addModifiers(capture, shift, alt, ctrl);
    addKey(capture, virtualKey);
    return capture;
}
