#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/vocabulary.h"
#include "text/texts.h"

// What the keyboard wedge types: the character between the columns of a line, the key
// pressed after each line, the line itself, and the key events that type one character.

// The choices of the character typed between two columns. The number is the one the settings
// file stores (SendOptions/FieldSep); -1 when none is chosen.
enum class WedgeSeparator : int32_t {
    Comma = 0,
    Period = 1,
    Colon = 2,
    Semicolon = 3,
    Slash = 4,
    HorizontalTab = 5,
    VerticalTab = 6,
};
struct WedgeSeparatorChoice {
    WedgeSeparator value;
    const char* item;  // as the drop-down list shows it
    char typed;
};
// In the order of the list's items.
inline constexpr std::array<WedgeSeparatorChoice, 7> kWedgeSeparators = {{
    {WedgeSeparator::Comma, ",", ','},
    {WedgeSeparator::Period, ".", '.'},
    {WedgeSeparator::Colon, ":", ':'},
    {WedgeSeparator::Semicolon, ";", ';'},
    {WedgeSeparator::Slash, "/", '/'},
    {WedgeSeparator::HorizontalTab, texts::kHorizontalTab, '\t'},
    {WedgeSeparator::VerticalTab, texts::kVerticalTab, '\v'},
}};
// The character typed for `separator`; none (-1, when the box holds a text of its own, or a
// number of no choice from the settings file) types ",", the first choice.
char wedgeSeparatorCharacter(WedgeSeparator separator);

// The choices of the key pressed after each line. The number is the one the settings file
// stores (SendOptions/RecTerm); -1 when none is chosen.
enum class WedgeTerminator : int32_t { CR = 0, LF = 1, HorizontalTab = 2, VerticalTab = 3 };
struct WedgeTerminatorChoice {
    WedgeTerminator value;
    const char* item;
    VirtualKey virtualKey{};
};
inline constexpr std::array<WedgeTerminatorChoice, 4> kWedgeTerminators = {{
    {WedgeTerminator::CR, "CR", vk::Return},
    {WedgeTerminator::LF, "LF", vk::Linefeed},
    {WedgeTerminator::HorizontalTab, texts::kHorizontalTab, vk::Tab},
    {WedgeTerminator::VerticalTab, texts::kVerticalTab, vk::VerticalTab},
}};
// The virtual-key code pressed for `terminator`; none presses 13, Enter, the first choice.
VirtualKey terminatorVirtualKey(WedgeTerminator terminator);

// The text typed for one row of the receive list: its fields as the reception read them
// (the barcode as scanned, then the time and date texts the data format option asks for),
// joined by the wedge separator. A barcode that holds the list's delimiter is typed whole,
// and so are time and date texts that hold it.
std::string buildWedgeLine(const std::vector<std::string>& fields, char separator);

struct KeyEvent {
    VirtualKey virtualKey{};
    bool down = true;
    bool operator==(const KeyEvent&) const = default;
};

// Shift-state bits of the Windows layout lookup (VkKeyScanA high byte).
enum LayoutShiftState { LayoutShift = 1, LayoutCtrl = 2, LayoutAlt = 4 };

// Where the active layout keeps a character: its key and the modifiers that select it.
struct LayoutKey {
    VirtualKey virtualKey{};
    int shiftState = 0;
    bool operator==(const LayoutKey&) const = default;
};

// Decodes a VkKeyScanA result: low byte the virtual-key code, high byte the shift state.
// No key (-1, a byte of 255) gives nothing; the caller then types the character by its
// code instead of pressing Shift, Ctrl and Alt around key 255.
std::optional<LayoutKey> decodeLayoutLookup(int vkKeyScanResult);

// The events that type one character found on the layout: its modifiers down (Shift,
// Ctrl, Alt), the key down and up, the modifiers up in the same order. Ctrl+Alt is how
// the lookup reports AltGr, so both are held for such characters.
std::vector<KeyEvent> characterKeyEvents(const LayoutKey& key);

// One press of a key without modifiers and without layout lookup (the terminator keys).
std::vector<KeyEvent> plainKeyEvents(VirtualKey virtualKey);
