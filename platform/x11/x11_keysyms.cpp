#include "platform/x11/x11_keysyms.h"

// The publishing and technical keysyms (quotes, dashes, ƒ) are not in keysym.h by default.
#define XK_PUBLISHING
#define XK_TECHNICAL
#include <X11/keysym.h>

#include <utility>

#include "text/cp1252.h"

namespace x11keys {
namespace {

struct KeyPair {
    int virtualKey;
    Keysym keysym;
};

// One entry per virtual-key code that is not a letter, digit, numpad digit or F key; the
// first entry of a code is the keysym it registers as.
constexpr KeyPair namedKeys[] = {
    {8, XK_BackSpace},      {9, XK_Tab},           {12, XK_Clear},
    {13, XK_Return},        {16, XK_Shift_L},      {17, XK_Control_L},
    {18, XK_Alt_L},         {19, XK_Pause},        {20, XK_Caps_Lock},
    {27, XK_Escape},        {32, XK_space},        {33, XK_Prior},
    {34, XK_Next},          {35, XK_End},          {36, XK_Home},
    {37, XK_Left},          {38, XK_Up},           {39, XK_Right},
    {40, XK_Down},          {41, XK_Select},       {43, XK_Execute},
    {44, XK_Print},         {45, XK_Insert},       {46, XK_Delete},
    {47, XK_Help},          {91, XK_Super_L},      {92, XK_Super_R},
    {93, XK_Menu},          {106, XK_KP_Multiply}, {107, XK_KP_Add},
    {108, XK_KP_Separator}, {109, XK_KP_Subtract}, {110, XK_KP_Decimal},
    {111, XK_KP_Divide},    {144, XK_Num_Lock},    {145, XK_Scroll_Lock},
    {186, XK_semicolon},    {187, XK_plus},        {188, XK_comma},
    {189, XK_minus},        {190, XK_period},      {191, XK_slash},
    {192, XK_grave},        {219, XK_bracketleft}, {220, XK_backslash},
    {221, XK_bracketright},
};

// Further unshifted symbols and key names that map to a code of their own: the other
// modifier keys, the keypad with Num Lock off, and the US and German punctuation keys.
constexpr KeyPair moreKeysyms[] = {
    {222, XK_apostrophe},
    {226, XK_less},
    {16, XK_Shift_R},
    {17, XK_Control_R},
    {18, XK_Alt_R},
    {18, XK_Meta_L},
    {18, XK_Meta_R},
    {18, XK_ISO_Level3_Shift},
    {9, XK_ISO_Left_Tab},
    {13, XK_KP_Enter},
    {32, XK_KP_Space},
    {9, XK_KP_Tab},
    {36, XK_KP_Home},
    {37, XK_KP_Left},
    {38, XK_KP_Up},
    {39, XK_KP_Right},
    {40, XK_KP_Down},
    {33, XK_KP_Prior},
    {34, XK_KP_Next},
    {35, XK_KP_End},
    {12, XK_KP_Begin},
    {45, XK_KP_Insert},
    {46, XK_KP_Delete},
    {187, XK_equal},
    {222, XK_adiaeresis},
    {192, XK_odiaeresis},
    {186, XK_udiaeresis},
    {219, XK_ssharp},
    {191, XK_numbersign},
    {220, XK_asciicircum},
    {220, XK_dead_circumflex},
    {221, XK_dead_acute},
    {221, XK_acute},
    {192, XK_dead_grave},
};

// Windows-1252 characters outside Latin-1 that layouts carry under a classic keysym.
constexpr std::pair<char32_t, Keysym> classicKeysyms[] = {
    {U'\u20AC', XK_EuroSign},
    {U'\u201A', XK_singlelowquotemark},
    {U'\u0192', XK_function},
    {U'\u201E', XK_doublelowquotemark},
    {U'\u2026', XK_ellipsis},
    {U'\u2020', XK_dagger},
    {U'\u2021', XK_doubledagger},
    {U'\u2030', XK_permille},
    {U'\u0160', XK_Scaron},
    {U'\u0152', XK_OE},
    {U'\u017D', XK_Zcaron},
    {U'\u2018', XK_leftsinglequotemark},
    {U'\u2019', XK_rightsinglequotemark},
    {U'\u201C', XK_leftdoublequotemark},
    {U'\u201D', XK_rightdoublequotemark},
    {U'\u2022', XK_enfilledcircbullet},
    {U'\u2013', XK_endash},
    {U'\u2014', XK_emdash},
    {U'\u2122', XK_trademark},
    {U'\u0161', XK_scaron},
    {U'\u0153', XK_oe},
    {U'\u017E', XK_zcaron},
    {U'\u0178', XK_Ydiaeresis},
};

constexpr Keysym unicodeKeysym(char32_t c) {
    return 0x01000000 + c;
}

// Control characters that have a key: X puts them at 0xFF00 + the code.
Keysym controlKeysym(char32_t c) {
    switch (c) {
        case 8:
        case 9:
        case 10:
        case 11:
        case 13:
        case 27:
            return 0xFF00 + c;
        case 127:
            return XK_Delete;
        default:
            return noSymbol;
    }
}

}  // namespace

Keysym keysymForVirtualKey(int virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') return XK_a + (virtualKey - 'A');
    if (virtualKey >= '0' && virtualKey <= '9') return XK_0 + (virtualKey - '0');
    if (virtualKey >= 96 && virtualKey <= 105) return XK_KP_0 + (virtualKey - 96);
    if (virtualKey >= 112 && virtualKey <= 135) return XK_F1 + (virtualKey - 112);
    for (const auto& pair : namedKeys) {
        if (pair.virtualKey == virtualKey) return pair.keysym;
    }
    for (const auto& pair : moreKeysyms) {
        if (pair.virtualKey == virtualKey) return pair.keysym;
    }
    return noSymbol;
}

int virtualKeyForKeysym(Keysym keysym) {
    if (keysym >= XK_a && keysym <= XK_z) return 'A' + static_cast<int>(keysym - XK_a);
    if (keysym >= XK_A && keysym <= XK_Z) return 'A' + static_cast<int>(keysym - XK_A);
    if (keysym >= XK_0 && keysym <= XK_9) return '0' + static_cast<int>(keysym - XK_0);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return 96 + static_cast<int>(keysym - XK_KP_0);
    if (keysym >= XK_F1 && keysym <= XK_F24) return 112 + static_cast<int>(keysym - XK_F1);
    for (const auto& pair : namedKeys) {
        if (pair.keysym == keysym) return pair.virtualKey;
    }
    for (const auto& pair : moreKeysyms) {
        if (pair.keysym == keysym) return pair.virtualKey;
    }
    return 0;
}

std::vector<Keysym> keysymsForCharacter(char cp1252Byte) {
    const char32_t c = cp1252::toUnicode(static_cast<unsigned char>(cp1252Byte));
    if (const Keysym control = controlKeysym(c); control != noSymbol) return {control};
    // Latin-1 keysyms equal their code points.
    if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF)) return {c};
    for (const auto& [character, keysym] : classicKeysyms) {
        if (character == c) return {keysym, unicodeKeysym(c)};
    }
    return {unicodeKeysym(c)};
}

Keysym keysymForPlainKey(int virtualKey) {
    switch (virtualKey) {
        case 9:
            return XK_Tab;
        case 10:
            return XK_Linefeed;
        case 11:
            return XK_Clear;
        case 13:
            return XK_Return;
        default:
            return keysymForVirtualKey(virtualKey);
    }
}

bool isKeypadKeysym(Keysym keysym) {
    return keysym >= XK_KP_Space && keysym <= XK_KP_Equal;
}

}  // namespace x11keys
