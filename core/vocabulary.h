#pragma once

// The numbers the program shares with its settings file and with the platforms' hotkey and
// keyboard interfaces: hotkey ids, hotkey modifier flags and Windows virtual-key codes. The
// values are Windows' own (RegisterHotKey, VK_*): LVconfig.ini stores them as they are, and
// the Windows backend passes them on unchanged, so every other platform translates at its
// edge. Each type is made from and read as the bare number, which is how the settings file
// and the platforms hand it over.

// The id a global hotkey is registered under and reported by; the wedge commands arrive
// under the same ids.
struct HotkeyId {
    int value = 0;
    constexpr HotkeyId() = default;
    constexpr HotkeyId(int id) : value(id) {}
    constexpr operator int() const { return value; }
};
// Reads the scanner and types its barcodes; `lorvant --send`.
inline constexpr HotkeyId kSendHotkeyId{66};
// Erases the barcodes stored in the scanner; `lorvant --erase`.
inline constexpr HotkeyId kClearHotkeyId{99};

// One modifier of a hotkey, as a flag of the stored modifier set (MOD_ALT, MOD_CONTROL,
// MOD_SHIFT).
enum class HotkeyModifier : int { Alt = 1, Ctrl = 2, Shift = 4 };

// The modifiers of a hotkey: a set of HotkeyModifier flags.
class HotkeyModifiers {
  public:
    constexpr HotkeyModifiers() = default;
    // The number the settings file stores.
    constexpr HotkeyModifiers(int flags) : flags_(flags) {}
    constexpr HotkeyModifiers(HotkeyModifier modifier) : flags_(static_cast<int>(modifier)) {}
    constexpr operator int() const { return flags_; }

    constexpr bool has(HotkeyModifier modifier) const {
        return (flags_ & static_cast<int>(modifier)) != 0;
    }
    constexpr HotkeyModifiers with(HotkeyModifier modifier) const {
        return flags_ | static_cast<int>(modifier);
    }
    // Only Alt, Ctrl and Shift: whatever else a stored number holds names no modifier.
    constexpr HotkeyModifiers known() const {
        return flags_ &
               (static_cast<int>(HotkeyModifier::Alt) | static_cast<int>(HotkeyModifier::Ctrl) |
                static_cast<int>(HotkeyModifier::Shift));
    }

  private:
    int flags_ = 0;
};

// A Windows virtual-key code: what a hotkey ends on, and the keys the wedge presses.
struct VirtualKey {
    int code = 0;
    constexpr VirtualKey() = default;
    constexpr VirtualKey(int virtualKeyCode) : code(virtualKeyCode) {}
    constexpr operator int() const { return code; }
};

// The codes the program names. Letters and digits are their capital letter's and digit's
// character code ('A' 65, '0' 48); the punctuation keys (VK_OEM_*) are named by what they
// carry on a US keyboard.
namespace vk {

inline constexpr VirtualKey Back{8};
inline constexpr VirtualKey Tab{9};
// 10 and 11 are no keys on Windows; the wedge presses them as the line feed and the
// vertical tab that the terminator choices stand for.
inline constexpr VirtualKey Linefeed{10};
inline constexpr VirtualKey VerticalTab{11};
inline constexpr VirtualKey Clear{12};
inline constexpr VirtualKey Return{13};
inline constexpr VirtualKey Shift{16};
inline constexpr VirtualKey Control{17};
inline constexpr VirtualKey Alt{18};  // VK_MENU
inline constexpr VirtualKey Pause{19};
inline constexpr VirtualKey CapsLock{20};
inline constexpr VirtualKey Escape{27};
inline constexpr VirtualKey Space{32};
inline constexpr VirtualKey PageUp{33};    // VK_PRIOR
inline constexpr VirtualKey PageDown{34};  // VK_NEXT
inline constexpr VirtualKey End{35};
inline constexpr VirtualKey Home{36};
inline constexpr VirtualKey Left{37};
inline constexpr VirtualKey Up{38};
inline constexpr VirtualKey Right{39};
inline constexpr VirtualKey Down{40};
inline constexpr VirtualKey Select{41};
inline constexpr VirtualKey Print{42};
inline constexpr VirtualKey Execute{43};
inline constexpr VirtualKey Snapshot{44};  // the Print Screen key
inline constexpr VirtualKey Insert{45};
inline constexpr VirtualKey Delete{46};
inline constexpr VirtualKey Help{47};
inline constexpr VirtualKey LeftWindows{91};
inline constexpr VirtualKey RightWindows{92};
inline constexpr VirtualKey Apps{93};  // the menu key
inline constexpr VirtualKey Numpad0{96};
inline constexpr VirtualKey Numpad9{105};
inline constexpr VirtualKey Multiply{106};
inline constexpr VirtualKey Add{107};
inline constexpr VirtualKey Separator{108};
inline constexpr VirtualKey Subtract{109};
inline constexpr VirtualKey Decimal{110};
inline constexpr VirtualKey Divide{111};
inline constexpr VirtualKey F1{112};
inline constexpr VirtualKey F12{123};
inline constexpr VirtualKey F24{135};
inline constexpr VirtualKey NumLock{144};
inline constexpr VirtualKey ScrollLock{145};
inline constexpr VirtualKey OemSemicolon{186};  // VK_OEM_1
inline constexpr VirtualKey OemPlus{187};
inline constexpr VirtualKey OemComma{188};
inline constexpr VirtualKey OemMinus{189};
inline constexpr VirtualKey OemPeriod{190};
inline constexpr VirtualKey OemSlash{191};         // VK_OEM_2
inline constexpr VirtualKey OemGrave{192};         // VK_OEM_3
inline constexpr VirtualKey OemBracketLeft{219};   // VK_OEM_4
inline constexpr VirtualKey OemBackslash{220};     // VK_OEM_5
inline constexpr VirtualKey OemBracketRight{221};  // VK_OEM_6
inline constexpr VirtualKey OemQuote{222};         // VK_OEM_7
inline constexpr VirtualKey OemLess{226};          // VK_OEM_102, the key beside the left Shift

// The letter key of 'A' … 'Z', the digit key of 0 … 9, the numpad digit of 0 … 9 and the
// function key F1 … F24.
constexpr VirtualKey letter(char capital) {
    return VirtualKey(capital);
}
constexpr VirtualKey digit(int digit) {
    return VirtualKey('0' + digit);
}
constexpr VirtualKey numpadDigit(int digit) {
    return VirtualKey(Numpad0.code + digit);
}
constexpr VirtualKey function(int number) {
    return VirtualKey(F1.code + number - 1);
}

}  // namespace vk
