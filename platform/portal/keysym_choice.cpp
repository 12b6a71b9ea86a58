#include "platform/portal/keysym_choice.h"

#include <xkbcommon/xkbcommon.h>

#include "text/cp1252.h"

namespace portal {

namespace {

constexpr uint32_t unicodeKeysym(char32_t c) {
    return 0x01000000 + c;
}

// The control characters that have a key: X keeps them at 0xFF00 + the code.
std::optional<uint32_t> controlKeysym(char32_t c) {
    switch (c) {
        case 8:
        case 9:
        case 10:
        case 11:
        case 13:
        case 27:
            return 0xFF00 + c;
        case 127:
            return XKB_KEY_Delete;
        default:
            return std::nullopt;
    }
}

}  // namespace

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
    std::initializer_list<uint32_t> candidates) const {
    if (!available_) return *candidates.begin();
    for (const uint32_t keysym : candidates)
        if (available_->count(keysym)) return keysym;
    return std::nullopt;
}

std::optional<uint32_t> KeysymChoice::forCharacter(char cp1252Byte) const {
    const char32_t c = cp1252::toUnicode(static_cast<unsigned char>(cp1252Byte));
    if (const auto control = controlKeysym(c)) return firstAvailable({*control});
    if (c < 0x20) return std::nullopt;  // no key types these
    const uint32_t classic = xkb_utf32_to_keysym(c);
    if (classic == unicodeKeysym(c) || classic == XKB_KEY_NoSymbol)
        return firstAvailable({unicodeKeysym(c)});
    return firstAvailable({classic, unicodeKeysym(c)});
}

std::optional<uint32_t> KeysymChoice::forVirtualKey(int virtualKey) const {
    if (const auto control = controlKeysym(static_cast<char32_t>(virtualKey)))
        return firstAvailable({*control});
    return std::nullopt;
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
    if (c < 0x20 || c == 0x7F) return QString("Steuerzeichen %1").arg(uint(c));
    return QString("„%1“").arg(QString::fromUcs4(&c, 1));
}

QString virtualKeyName(int virtualKey) {
    return characterName(static_cast<char>(virtualKey));
}

}  // namespace portal
