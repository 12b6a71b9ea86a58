#include "platform/win32/win32_keyboard_output.h"

#include <windows.h>

#include <chrono>
#include <vector>

#include "core/wedge_keys.h"
#include "text/cp1252.h"

namespace {

constexpr auto modifierWaitLimit = std::chrono::seconds(2);
constexpr DWORD modifierPollMs = 10;
constexpr VirtualKey heldModifiers[] = {vk::Shift, vk::Control, vk::Alt, vk::LeftWindows,
                                        vk::RightWindows};

bool anyModifierHeld() {
    for (const VirtualKey key : heldModifiers) {
        if (GetAsyncKeyState(key.code) & 0x8000) return true;
    }
    return false;
}

void send(const std::vector<KeyEvent>& events) {
    for (const auto& event : events) {
        keybd_event(static_cast<BYTE>(event.virtualKey.code), 0, event.down ? 0 : KEYEVENTF_KEYUP,
                    0);
    }
}

// The character by its code, not by a key: what the layout cannot type still arrives.
// False when the system did not take both events (another program's input blocks ours).
bool sendUnicode(char cp1252Byte) {
    const auto code = static_cast<WORD>(cp1252::toUnicode(static_cast<unsigned char>(cp1252Byte)));
    INPUT inputs[2] = {};
    for (int i = 0; i < 2; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wScan = code;
        inputs[i].ki.dwFlags = KEYEVENTF_UNICODE | (i == 1 ? KEYEVENTF_KEYUP : 0);
    }
    return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

}  // namespace

void Win32KeyboardOutput::beginTransfer(std::string_view, const std::vector<VirtualKey>&) {
    failed_ = false;
    // The hotkey's own modifiers may still be down; Alt held with "A" is a menu command.
    const auto deadline = std::chrono::steady_clock::now() + modifierWaitLimit;
    while (anyModifierHeld() && std::chrono::steady_clock::now() < deadline) {
        Sleep(modifierPollMs);
    }
}

void Win32KeyboardOutput::typeCharacter(char cp1252Byte) {
    const auto key = decodeLayoutLookup(VkKeyScanA(cp1252Byte));
    if (key) {
        send(characterKeyEvents(*key));
    } else {
        if (!sendUnicode(cp1252Byte)) failed_ = true;
    }
}

void Win32KeyboardOutput::pressVirtualKey(VirtualKey virtualKey) {
    send(plainKeyEvents(virtualKey));
}
