#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/vocabulary.h"
#include "platform/keysyms.h"

// The keyboard the Wayland output types with: a keymap of the program's own with a key
// for every character it can type, each at its plain level. Whatever layout the user has,
// each character then arrives as itself, and no modifier is ever pressed, so none of the
// user's shortcuts can fire. Plain C++: the keymap is XKB text that the compositor compiles.
namespace virtualkeys {

using keysyms::Keysym;

// The keysym a Windows-1252 character is typed as: keysyms::textKeysymForCharacter, the
// keysym the X11 and portal wedges type it as too. The control characters that have a key
// (Backspace, Tab, Linefeed, vertical tab as Clear, Return, Escape, Delete) are that key,
// which clients turn back into the control character. Nothing for the other control
// characters: a Wayland client makes no text of them, they would get lost.
std::optional<Keysym> keysymForCharacter(char cp1252Byte);

// The keysym a terminator key is pressed as: 9 Tab, 10 Linefeed, 11 Clear (read as the
// vertical tab), 13 Return. Nothing for any other code.
std::optional<Keysym> keysymForVirtualKey(VirtualKey virtualKey);

// One key for each character keysymForCharacter gives a keysym (225 of the 256 bytes; the
// terminator keys are among them), with the evdev codes 1, 2, 3 … (XKB keycodes 9 …):
// all fit below keycode 256, the last that X clients under XWayland take.
class Keymap {
  public:
    static const Keymap& wedge();

    // The evdev code of the key that types `keysym`.
    std::optional<uint32_t> keyFor(Keysym keysym) const;
    const std::vector<Keysym>& keysyms() const { return keysyms_; }
    // The keymap in the XKB text format (xkb_keymap { … }).
    std::string text() const;

  private:
    Keymap();
    std::vector<Keysym> keysyms_;
};

// The keys of one transfer in the order they are typed, each pressed and released, all
// collected before the first goes out: a transfer with a character that cannot be typed
// types nothing.
class TransferKeys {
  public:
    void addCharacter(char cp1252Byte);
    void addVirtualKey(VirtualKey virtualKey);
    const std::vector<uint32_t>& keys() const { return keys_; }
    // The first character or key that cannot be typed, as a German sentence (UTF-8);
    // empty when every one can.
    const std::string& problem() const { return problem_; }

  private:
    std::vector<uint32_t> keys_;
    std::string problem_;
};

}  // namespace virtualkeys
