#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/vocabulary.h"

// Synthesised keystrokes into whatever window has the keyboard focus: the interface the
// platform backends implement and the core types through.
class KeyboardOutput {
  public:
    virtual ~KeyboardOutput() = default;

    // Before the first key of a transfer, with every character and plain key it is going
    // to type, so that a backend can set the keyboard up for them before the first
    // keystroke. Waits (at most a few seconds) until the user has let go of the hotkey
    // that started it: a held Alt would turn the typed letters into menu commands, and
    // while its key is down the keys may not reach the window.
    virtual void beginTransfer(std::string_view cp1252Characters,
                               const std::vector<VirtualKey>& virtualKeys) {
        (void)cp1252Characters;
        (void)virtualKeys;
    }
    // Types one Windows-1252 character the way the active keyboard layout produces it,
    // with whatever Shift or AltGr it needs. A character the layout has no key for is
    // still typed as itself.
    virtual void typeCharacter(char cp1252Byte) = 0;
    // Presses and releases one key given by its Windows virtual-key code, without
    // modifiers and without layout lookup: 13 Enter, 9 Tab, 10 Linefeed, 11 vertical tab.
    virtual void pressVirtualKey(VirtualKey virtualKey) = 0;
    // Before a pause of a paced transfer: hands every key typed so far to the system now,
    // so that the pause falls between them and the next ones where the focused window reads
    // them too, not in a buffer of the program's. False when this transfer types nothing
    // more anyway (no way to type, a session the desktop refused or ended): there is nothing
    // to wait for then.
    virtual bool flush() { return true; }
    // After the last key of a transfer; undoes any temporary keyboard changes. False when
    // not every key went out (no way to type at all, a key the system refused).
    virtual bool endTransfer() { return true; }
    // After a transfer that failed: why, as a German sentence in Windows-1252 for the
    // user; empty when there is nothing to add.
    virtual std::string problem() const { return {}; }
};
