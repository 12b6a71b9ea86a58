#include "platform/wayland/virtual_keymap.h"

#include <algorithm>
#include <cstdio>

namespace virtualkeys {
namespace {

// XKB keycodes are evdev codes plus 8.
constexpr uint32_t evdevOffset = 8;
constexpr uint32_t highestKeycode = 255;

}  // namespace

std::optional<Keysym> keysymForCharacter(char cp1252Byte) {
    return keysyms::textKeysymForCharacter(cp1252Byte);
}

std::optional<Keysym> keysymForVirtualKey(VirtualKey virtualKey) {
    switch (virtualKey) {
        case vk::Tab:
        case vk::Linefeed:
        case vk::VerticalTab:
        case vk::Return:
            return keysyms::keysymForPlainKey(virtualKey);
        default:
            return std::nullopt;
    }
}

const Keymap& Keymap::wedge() {
    static const Keymap keymap;
    return keymap;
}

Keymap::Keymap() {
    for (int byte = 0; byte <= 0xFF; ++byte) {
        if (const auto keysym = keysymForCharacter(static_cast<char>(byte)))
            keysyms_.push_back(*keysym);
    }
}

std::optional<uint32_t> Keymap::keyFor(Keysym keysym) const {
    const auto found = std::find(keysyms_.begin(), keysyms_.end(), keysym);
    if (found == keysyms_.end()) return std::nullopt;
    return static_cast<uint32_t>(found - keysyms_.begin()) + 1;
}

// Self-contained: no include that the compositor would have to resolve from its own
// keyboard data. One level per key, so the keys need no modifier and no compatibility
// map. Keysyms are written as numbers, which every XKB compiler reads; key names keep to
// four characters, the most X clients take.
std::string Keymap::text() const {
    std::string keycodes, symbols;
    char line[96];
    for (std::size_t i = 0; i < keysyms_.size(); ++i) {
        const auto key = static_cast<unsigned>(i + 1);
        std::snprintf(line, sizeof line, "        <K%u> = %u;\n", key, key + evdevOffset);
        keycodes += line;
        std::snprintf(line, sizeof line, "        key <K%u> { [ 0x%08x ] };\n", key,
                      static_cast<unsigned>(keysyms_[i]));
        symbols += line;
    }
    return "xkb_keymap {\n"
           "    xkb_keycodes \"lorvant\" {\n"
           "        minimum = 8;\n"
           "        maximum = " +
           std::to_string(highestKeycode) + ";\n" + keycodes +
           "    };\n"
           "    xkb_types \"lorvant\" {\n"
           "        type \"ONE_LEVEL\" {\n"
           "            modifiers = none;\n"
           "            level_name[Level1] = \"Any\";\n"
           "        };\n"
           "    };\n"
           "    xkb_compatibility \"lorvant\" {\n"
           "    };\n"
           "    xkb_symbols \"lorvant\" {\n" +
           symbols +
           "    };\n"
           "};\n";
}

void TransferKeys::addCharacter(char cp1252Byte) {
    const auto keysym = keysymForCharacter(cp1252Byte);
    if (keysym) {
        keys_.push_back(*Keymap::wedge().keyFor(*keysym));
    } else if (problem_.empty()) {
        problem_ = "Ein Barcode enthält das Steuerzeichen " +
                   std::to_string(static_cast<unsigned char>(cp1252Byte)) +
                   ", das sich unter Wayland nicht als Tastatureingabe senden lässt.";
    }
}

void TransferKeys::addVirtualKey(VirtualKey virtualKey) {
    const auto keysym = keysymForVirtualKey(virtualKey);
    if (keysym) {
        keys_.push_back(*Keymap::wedge().keyFor(*keysym));
    } else if (problem_.empty()) {
        problem_ = "Die Taste " + std::to_string(virtualKey.code) +
                   " lässt sich unter Wayland nicht senden.";
    }
}

}  // namespace virtualkeys
