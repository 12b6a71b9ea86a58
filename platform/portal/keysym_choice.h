#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "core/vocabulary.h"
#include "platform/keysyms.h"

struct xkb_keymap;

// Which keysym the desktop is sent for each character and terminator key of a transfer.
// A desktop that types keysyms (GNOME's compositor, KDE's) presses the key its active
// layout has for the keysym; one the layout lacks it drops, or types wrongly. So a
// transfer first asks for every character here, and types nothing when one is missing.
namespace portal {

// Every keysym that some key of `keymap`'s layout `layout` produces, at any level.
std::set<uint32_t> layoutKeysyms(xkb_keymap* keymap, uint32_t layout);

class KeysymChoice {
  public:
    // `available`: the keysyms of the active layout; none when the layout is not known,
    // then every character is sent as its usual keysym.
    explicit KeysymChoice(std::optional<std::set<uint32_t>> available);

    // The keysym for a Windows-1252 character, of keysyms::keysymsForCharacter: its classic
    // keysym (adiaeresis, EuroSign) or its Unicode one, whichever the layout has; BackSpace,
    // Tab, Linefeed, Clear (vertical tab), Return, Escape and Delete for the control
    // characters that have a key. None when the layout has neither.
    std::optional<uint32_t> forCharacter(char cp1252Byte) const;
    // The keysym for a terminator key: 13 Return, 9 Tab, 10 Linefeed, 11 Clear.
    std::optional<uint32_t> forVirtualKey(VirtualKey virtualKey) const;

  private:
    // The first of `candidates` the layout has (the first when the layout is not known).
    std::optional<uint32_t> firstAvailable(const std::vector<keysyms::Keysym>& candidates) const;
    std::optional<std::set<uint32_t>> available_;
};

// How a German message names a character: „x“, or the item name of the separators and
// terminators (H-Tab, V-Tab, LF, CR) for control characters.
QString characterName(char cp1252Byte);
// The same for a terminator key given by its virtual-key code.
QString virtualKeyName(VirtualKey virtualKey);

}  // namespace portal
