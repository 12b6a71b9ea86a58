#include "platform/portal/keysym_choice.h"

#include <xkbcommon/xkbcommon.h>

#include "platform/keysyms.h"
#include "text/cp1252.h"

namespace portal {

std::set<uint32_t> layoutKeysyms(xkb_keymap* keymap, uint32_t layout) {
    std::set<uint32_t> keysyms;
    for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= xkb_keymap_max_keycode(keymap);
         ++key) {
        if (layout >= xkb_keymap_num_layouts_for_key(keymap, key)) continue;
        const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, key, layout);
        for (xkb_level_index_t level = 0; level < levels; ++level) {
            const xkb_keysym_t* syms = nullptr;
            const int count = xkb_keymap_key_get_syms_by_level(keymap, key, layout, level, &syms);
            keysyms.insert(syms, syms + count);
        }
    }
    return keysyms;
}

KeysymChoice::KeysymChoice(std::optional<std::set<uint32_t>> available)
    : available_(std::move(available)) {}

std::optional<uint32_t> KeysymChoice::firstAvailable(
    const std::vector<keysyms::Keysym>& candidates) const {
    if (candidates.empty() || candidates.front() == keysyms::noSymbol) return std::nullopt;
    if (!available_) return static_cast<uint32_t>(candidates.front());
    for (const keysyms::Keysym keysym : candidates)
        if (available_->count(static_cast<uint32_t>(keysym))) return keysym;
    return std::nullopt;
}

std::optional<uint32_t> KeysymChoice::forCharacter(char cp1252Byte) const {
    // A control character without a key of its own, and the code page's undefined bytes
    // (which stand for control characters), make no text: sent unchecked, they would be lost.
    if (!keysyms::textKeysymForCharacter(cp1252Byte)) return std::nullopt;
    return firstAvailable(keysyms::keysymsForCharacter(cp1252Byte));
}

std::optional<uint32_t> KeysymChoice::forVirtualKey(VirtualKey virtualKey) const {
    return firstAvailable({keysyms::keysymForPlainKey(virtualKey)});
}

QString characterName(char cp1252Byte) {
    switch (static_cast<unsigned char>(cp1252Byte)) {
        case 9:
            return "H-Tab";
        case 10:
            return "LF";
        case 11:
            return "V-Tab";
        case 13:
            return "CR";
        case 32:
            return "Leerzeichen";
        default:
            break;
    }
    const char32_t c = cp1252::toUnicode(static_cast<unsigned char>(cp1252Byte));
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return QString("Steuerzeichen %1").arg(uint(c));
    return QString("„%1“").arg(QString::fromUcs4(&c, 1));
}

QString virtualKeyName(VirtualKey virtualKey) {
    return characterName(static_cast<char>(virtualKey.code));
}

}  // namespace portal
