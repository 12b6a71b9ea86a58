#include "core/wedge_keys.h"

#include <algorithm>
#include <array>

#include "text/delimited_text.h"

namespace {

constexpr std::array<std::pair<int, VirtualKey>, 3> modifierKeys = {
    std::pair{LayoutShift, vk::Shift}, std::pair{LayoutCtrl, vk::Control},
    std::pair{LayoutAlt, vk::Alt}};

void addModifierEvents(std::vector<KeyEvent>& events, int shiftState, bool down) {
    for (const auto& [bit, virtualKey] : modifierKeys) {
        if (shiftState & bit) events.push_back({virtualKey, down});
    }
}

}  // namespace

char wedgeSeparatorCharacter(WedgeSeparator separator) {
    for (const auto& choice : kWedgeSeparators)
        if (choice.value == separator) return choice.typed;
    return kWedgeSeparators[0].typed;
}

VirtualKey terminatorVirtualKey(WedgeTerminator terminator) {
    for (const auto& choice : kWedgeTerminators)
        if (choice.value == terminator) return choice.virtualKey;
    return kWedgeTerminators[0].virtualKey;
}

std::string buildWedgeLine(const std::vector<std::string>& fields, char separator) {
    return joinFields(fields, std::string_view(&separator, 1));
}

std::optional<LayoutKey> decodeLayoutLookup(int vkKeyScanResult) {
    const int virtualKey = vkKeyScanResult & 0xFF;
    const int shiftState = (vkKeyScanResult >> 8) & 0xFF;
    if (virtualKey == 0xFF || shiftState == 0xFF) return std::nullopt;
    // Higher bits (Hankaku and reserved ones) name no key we could press.
    return LayoutKey{virtualKey, shiftState & (LayoutShift | LayoutCtrl | LayoutAlt)};
}

std::vector<KeyEvent> characterKeyEvents(const LayoutKey& key) {
    std::vector<KeyEvent> events;
    addModifierEvents(events, key.shiftState, true);
    events.push_back({key.virtualKey, true});
    events.push_back({key.virtualKey, false});
    addModifierEvents(events, key.shiftState, false);
    return events;
}

std::vector<KeyEvent> plainKeyEvents(VirtualKey virtualKey) {
    return {{virtualKey, true}, {virtualKey, false}};
}
