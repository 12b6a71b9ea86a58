#pragma once

#include <vector>

// Translations between Windows virtual-key codes, Windows-1252 characters and X keysyms.
// The settings file stores virtual-key codes, so a hotkey means the same key on every
// platform; the X backends translate at the edge.
namespace x11keys {

using Keysym = unsigned long;
constexpr Keysym noSymbol = 0;

// The key a virtual-key code names, as a keysym: letters as lower case, digits, F1-F24,
// the numpad, navigation and editing keys, modifiers, and the punctuation keys
// (VK_OEM_*) by the symbol they carry on a US keyboard. noSymbol for unknown codes.
Keysym keysymForVirtualKey(int virtualKey);

// The virtual-key code Windows gives the key whose unshifted symbol is `keysym`, for the
// US and the German layout alike (the German Ä key is VK_OEM_7 there, as is the US '
// key). 0 when there is none.
int virtualKeyForKeysym(Keysym keysym);

// The keysyms that stand for a Windows-1252 character, in order of preference: the
// classic keysym that layouts carry (EuroSign for €) and then the Unicode keysym. The
// control characters that have a key of their own (Backspace, Tab, Linefeed, Return,
// Escape, Delete) and the vertical tab map to those keysyms.
std::vector<Keysym> keysymsForCharacter(char cp1252Byte);

// The keysym a terminator key is pressed as: 13 Return, 9 Tab, 10 Linefeed and 11 Clear.
// X keeps the control-code keysyms at 0xFF00 + the code, and clients translate Linefeed
// to LF and Clear to VT, so 11 reaches a terminal or text field as the vertical tab that
// the code stands for. Other codes as keysymForVirtualKey.
Keysym keysymForPlainKey(int virtualKey);

// True for the keysyms of the numeric keypad, whose meaning depends on Num Lock.
bool isKeypadKeysym(Keysym keysym);

}  // namespace x11keys
