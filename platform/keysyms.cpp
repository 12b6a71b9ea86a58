#include "platform/keysyms.h"

#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon.h>

#include "text/cp1252.h"

namespace keysyms {
namespace {

struct KeyPair {
    VirtualKey virtualKey{};
    Keysym keysym;
};

// One entry per virtual-key code that is not a letter, digit, numpad digit or F key; the
// first entry of a code is the keysym it registers as.
constexpr KeyPair namedKeys[] = {
    {vk::Back, XKB_KEY_BackSpace},
    {vk::Tab, XKB_KEY_Tab},
    {vk::Clear, XKB_KEY_Clear},
    {vk::Return, XKB_KEY_Return},
    {vk::Shift, XKB_KEY_Shift_L},
    {vk::Control, XKB_KEY_Control_L},
    {vk::Alt, XKB_KEY_Alt_L},
    {vk::Pause, XKB_KEY_Pause},
    {vk::CapsLock, XKB_KEY_Caps_Lock},
    {vk::Escape, XKB_KEY_Escape},
    {vk::Space, XKB_KEY_space},
    {vk::PageUp, XKB_KEY_Prior},
    {vk::PageDown, XKB_KEY_Next},
    {vk::End, XKB_KEY_End},
    {vk::Home, XKB_KEY_Home},
    {vk::Left, XKB_KEY_Left},
    {vk::Up, XKB_KEY_Up},
    {vk::Right, XKB_KEY_Right},
    {vk::Down, XKB_KEY_Down},
    {vk::Select, XKB_KEY_Select},
    {vk::Execute, XKB_KEY_Execute},
    {vk::Snapshot, XKB_KEY_Print},
    {vk::Insert, XKB_KEY_Insert},
    {vk::Delete, XKB_KEY_Delete},
    {vk::Help, XKB_KEY_Help},
    {vk::LeftWindows, XKB_KEY_Super_L},
    {vk::RightWindows, XKB_KEY_Super_R},
    {vk::Apps, XKB_KEY_Menu},
    {vk::Multiply, XKB_KEY_KP_Multiply},
    {vk::Add, XKB_KEY_KP_Add},
    {vk::Separator, XKB_KEY_KP_Separator},
    {vk::Subtract, XKB_KEY_KP_Subtract},
    {vk::Decimal, XKB_KEY_KP_Decimal},
    {vk::Divide, XKB_KEY_KP_Divide},
    {vk::NumLock, XKB_KEY_Num_Lock},
    {vk::ScrollLock, XKB_KEY_Scroll_Lock},
    {vk::OemSemicolon, XKB_KEY_semicolon},
    {vk::OemPlus, XKB_KEY_plus},
    {vk::OemComma, XKB_KEY_comma},
    {vk::OemMinus, XKB_KEY_minus},
    {vk::OemPeriod, XKB_KEY_period},
    {vk::OemSlash, XKB_KEY_slash},
    {vk::OemGrave, XKB_KEY_grave},
    {vk::OemBracketLeft, XKB_KEY_bracketleft},
    {vk::OemBackslash, XKB_KEY_backslash},
    {vk::OemBracketRight, XKB_KEY_bracketright},
};

// Further unshifted symbols and key names that map to a code of their own: the other
// modifier keys, the keypad with Num Lock off, and the US and German punctuation keys.
constexpr KeyPair moreKeysyms[] = {
    {vk::OemQuote, XKB_KEY_apostrophe},
    {vk::OemLess, XKB_KEY_less},
    {vk::Shift, XKB_KEY_Shift_R},
    {vk::Control, XKB_KEY_Control_R},
    {vk::Alt, XKB_KEY_Alt_R},
    {vk::Alt, XKB_KEY_Meta_L},
    {vk::Alt, XKB_KEY_Meta_R},
    {vk::Alt, XKB_KEY_ISO_Level3_Shift},
    {vk::Tab, XKB_KEY_ISO_Left_Tab},
    {vk::Return, XKB_KEY_KP_Enter},
    {vk::Space, XKB_KEY_KP_Space},
    {vk::Tab, XKB_KEY_KP_Tab},
    {vk::Home, XKB_KEY_KP_Home},
    {vk::Left, XKB_KEY_KP_Left},
    {vk::Up, XKB_KEY_KP_Up},
    {vk::Right, XKB_KEY_KP_Right},
    {vk::Down, XKB_KEY_KP_Down},
    {vk::PageUp, XKB_KEY_KP_Prior},
    {vk::PageDown, XKB_KEY_KP_Next},
    {vk::End, XKB_KEY_KP_End},
    {vk::Clear, XKB_KEY_KP_Begin},
    {vk::Insert, XKB_KEY_KP_Insert},
    {vk::Delete, XKB_KEY_KP_Delete},
    {vk::OemPlus, XKB_KEY_equal},
    {vk::OemQuote, XKB_KEY_adiaeresis},
    {vk::OemGrave, XKB_KEY_odiaeresis},
    {vk::OemSemicolon, XKB_KEY_udiaeresis},
    {vk::OemBracketLeft, XKB_KEY_ssharp},
    {vk::OemSlash, XKB_KEY_numbersign},
    {vk::OemBackslash, XKB_KEY_asciicircum},
    {vk::OemBackslash, XKB_KEY_dead_circumflex},
    {vk::OemBracketRight, XKB_KEY_dead_acute},
    {vk::OemBracketRight, XKB_KEY_acute},
    {vk::OemGrave, XKB_KEY_dead_grave},
};

constexpr Keysym unicodeKeysym(char32_t c) {
    return 0x01000000 + c;
}

}  // namespace

Keysym keysymForVirtualKey(VirtualKey virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') return XKB_KEY_a + (virtualKey - 'A');
    if (virtualKey >= '0' && virtualKey <= '9') return XKB_KEY_0 + (virtualKey - '0');
    if (virtualKey >= vk::Numpad0 && virtualKey <= vk::Numpad9)
        return XKB_KEY_KP_0 + (virtualKey - vk::Numpad0);
    if (virtualKey >= vk::F1 && virtualKey <= vk::F24) return XKB_KEY_F1 + (virtualKey - vk::F1);
    for (const auto& pair : namedKeys) {
        if (pair.virtualKey == virtualKey) return pair.keysym;
    }
    for (const auto& pair : moreKeysyms) {
        if (pair.virtualKey == virtualKey) return pair.keysym;
    }
    return noSymbol;
}

VirtualKey virtualKeyForKeysym(Keysym keysym) {
    if (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z) return vk::letter('A' + (keysym - XKB_KEY_a));
    if (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z) return vk::letter('A' + (keysym - XKB_KEY_A));
    if (keysym >= XKB_KEY_0 && keysym <= XKB_KEY_9) return vk::digit(keysym - XKB_KEY_0);
    if (keysym >= XKB_KEY_KP_0 && keysym <= XKB_KEY_KP_9)
        return vk::numpadDigit(keysym - XKB_KEY_KP_0);
    if (keysym >= XKB_KEY_F1 && keysym <= XKB_KEY_F24) return vk::function(keysym - XKB_KEY_F1 + 1);
    for (const auto& pair : namedKeys) {
        if (pair.keysym == keysym) return pair.virtualKey;
    }
    for (const auto& pair : moreKeysyms) {
        if (pair.keysym == keysym) return pair.virtualKey;
    }
    return {};
}

// xkbcommon's table gives every byte of the code page the keysym layouts carry for it:
// the Latin-1 ones, the classic keysyms of the others (EuroSign, zcaron, the publishing
// quotes and dashes), the control keys, and Unicode keysyms for the rest.
std::vector<Keysym> keysymsForCharacter(char cp1252Byte) {
    const char32_t c = cp1252::toUnicode(static_cast<unsigned char>(cp1252Byte));
    const Keysym keysym = xkb_utf32_to_keysym(c);
    // Beyond Latin-1 a layout may carry the character under its Unicode keysym instead.
    if (c >= 0x100 && keysym != unicodeKeysym(c)) return {keysym, unicodeKeysym(c)};
    return {keysym};
}

std::optional<Keysym> textKeysymForCharacter(char cp1252Byte) {
    const Keysym keysym = keysymsForCharacter(cp1252Byte).front();
    // The control characters below U+0100 without a key are left with their Unicode keysym.
    const char32_t c = cp1252::toUnicode(static_cast<unsigned char>(cp1252Byte));
    if (c < 0x100 && keysym == unicodeKeysym(c)) return std::nullopt;
    return keysym;
}

Keysym keysymForPlainKey(VirtualKey virtualKey) {
    switch (virtualKey) {
        case vk::Tab:
            return XKB_KEY_Tab;
        case vk::Linefeed:
            return XKB_KEY_Linefeed;
        case vk::VerticalTab:
            return XKB_KEY_Clear;
        case vk::Return:
            return XKB_KEY_Return;
        default:
            return keysymForVirtualKey(virtualKey);
    }
}

bool isKeypadKeysym(Keysym keysym) {
    return keysym >= XKB_KEY_KP_Space && keysym <= XKB_KEY_KP_Equal;
}

}  // namespace keysyms
