#include "core/hotkey_capture.h"

namespace {

// Page Up to the numpad "/", and F1 to F12.
constexpr VirtualKey firstCharacterKey = vk::PageUp;
constexpr VirtualKey lastCharacterKey = vk::Divide;
constexpr VirtualKey firstFunctionKey = vk::F1;
constexpr VirtualKey lastFunctionKey = vk::F12;

void addModifiers(HotkeyCapture& capture, bool shift, bool alt, bool ctrl) {
    if (shift) {
        capture.text += "Shift+";
        capture.modifiers = capture.modifiers.with(HotkeyModifier::Shift);
    }
    if (alt) {
        capture.text += "Alt+";
        capture.modifiers = capture.modifiers.with(HotkeyModifier::Alt);
    }
    if (ctrl) {
        capture.text += "Ctrl+";
        capture.modifiers = capture.modifiers.with(HotkeyModifier::Ctrl);
    }
    if (capture.modifiers == 0) {
        capture.text += "Alt+";
        capture.modifiers = HotkeyModifier::Alt;
    }
}

void addKey(HotkeyCapture& capture, VirtualKey virtualKey) {
    if (virtualKey >= firstCharacterKey && virtualKey <= lastCharacterKey) {
        // The key's own code read as a character: capitals for letters, digits for the
        // digit row, and whatever character shares the code for the rest (numpad 1 -> "a").
        capture.text += static_cast<char>(virtualKey);
        capture.key = virtualKey;
    } else if (virtualKey >= firstFunctionKey && virtualKey <= lastFunctionKey) {
        capture.text += "F" + std::to_string(virtualKey - firstFunctionKey + 1);
        capture.key = virtualKey;
    }
}

}  // namespace

HotkeyCapture captureHotkey(VirtualKey virtualKey, bool shift, bool alt, bool ctrl) {
    HotkeyCapture capture;
    addModifiers(capture, shift, alt, ctrl);
    addKey(capture, virtualKey);
    return capture;
}
