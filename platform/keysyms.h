#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/vocabulary.h"

// Translations between Windows virtual-key codes, Windows-1252 characters and keysyms, the
// key symbols of X11 and of every XKB keymap on Wayland. The settings file stores
// virtual-key codes, so a hotkey means the same key on every platform; the X11, Wayland and
// portal backends translate at the edge, all with these tables.
namespace keysyms {

using Keysym = uint32_t;
constexpr Keysym noSymbol = 0;

// The key a virtual-key code names, as a keysym: letters as lower case, digits, F1-F24,
// the numpad, navigation and editing keys, modifiers, and the punctuation keys
// (VK_OEM_*) by the symbol they carry on a US keyboard. noSymbol for unknown codes.
Keysym keysymForVirtualKey(VirtualKey virtualKey);

// The virtual-key code Windows gives the key whose unshifted symbol is `keysym`, for the
// US and the German layout alike (the German Ä key is VK_OEM_7 there, as is the US '
// key). 0 when there is none.
VirtualKey virtualKeyForKeysym(Keysym keysym);

// The keysyms that stand for a Windows-1252 character, in order of preference: the
// classic keysym that layouts carry (EuroSign for €, zcaron for ž) and then the Unicode
// keysym. The control characters that have a key of their own (Backspace, Tab, Linefeed,
// Return, Escape, Delete) and the vertical tab map to those keysyms; the other control
// characters to their Unicode keysym, which no key types.
std::vector<Keysym> keysymsForCharacter(char cp1252Byte);

// The keysym a character is typed as where a client turns the keysym into text (Wayland):
// the first of keysymsForCharacter. Nothing for the control characters without a key of
// their own, and for the code page's five undefined bytes, which stand for some: a client
// makes no text of them, they would get lost.
std::optional<Keysym> textKeysymForCharacter(char cp1252Byte);

// The keysym a terminator key is pressed as: 13 Return, 9 Tab, 10 Linefeed and 11 Clear.
// Keysyms keep the control keys at 0xFF00 + the code, and clients translate Linefeed to LF
// and Clear to VT, so 11 reaches a terminal or text field as the vertical tab that the
// code stands for. Other codes as keysymForVirtualKey.
Keysym keysymForPlainKey(VirtualKey virtualKey);

// True for the keysyms of the numeric keypad, whose meaning depends on Num Lock.
bool isKeypadKeysym(Keysym keysym);

}  // namespace keysyms
