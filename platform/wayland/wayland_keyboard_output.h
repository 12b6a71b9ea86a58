#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/keyboard_output.h"
#include "platform/wayland/virtual_keymap.h"

class WaylandVirtualKeyboard;

// Keystrokes on a Wayland desktop through a virtual keyboard with the program's own
// keymap. The keys of a transfer are collected and typed at its end: so a transfer with a
// character no Wayland client can take as text (a control character), or on a compositor
// without virtual keyboards, types nothing at all, and the scanner keeps its barcodes.
//
// Nothing waits for the user to let go of the hotkey: a Wayland client cannot see the
// keyboard, and it need not. The compositor hands the focused window the virtual
// keyboard's own modifier state (none) with its keys, so a Ctrl or Alt the user still
// holds does not turn them into shortcuts.
//
// A paced transfer types its keys in parts, each before a pause; every character of the
// transfer is checked before the first part, so such a transfer too types all or nothing
// (short of a compositor that goes away in the middle).
class WaylandKeyboardOutput : public KeyboardOutput {
  public:
    WaylandKeyboardOutput();
    ~WaylandKeyboardOutput() override;

    void beginTransfer(std::string_view cp1252Characters,
                       const std::vector<VirtualKey>& virtualKeys) override;
    void typeCharacter(char cp1252Byte) override;
    void pressVirtualKey(VirtualKey virtualKey) override;
    // Types the keys collected so far; each has reached the compositor when it returns.
    bool flush() override;
    bool endTransfer() override;
    std::string problem() const override { return problem_; }

  private:
    // Each gives the reason it failed (UTF-8), empty when it did not.
    std::string connectKeyboard();
    std::string type();

    std::unique_ptr<WaylandVirtualKeyboard> keyboard_;
    // The transfer's characters and plain keys, as beginTransfer was told them.
    std::string characters_;
    std::vector<VirtualKey> virtualKeys_;
    bool checkedWhole_ = false;       // every key checked, at the first pause
    virtualkeys::TransferKeys keys_;  // not yet typed
    std::string failure_;             // UTF-8: why this transfer types nothing (more)
    std::string problem_;             // Windows-1252
};
