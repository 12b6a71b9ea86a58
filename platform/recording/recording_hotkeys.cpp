#include "platform/recording/recording_hotkeys.h"

#include <algorithm>

bool RecordingHotkeys::registerHotkey(HotkeyId id, HotkeyModifiers modifiers,
                                      VirtualKey virtualKey) {
    calls_.push_back({Call::Register, id, modifiers, virtualKey});
    if (refuse_) return false;
    std::erase_if(active_, [id](const Entry& entry) { return entry.id == id; });
    active_.push_back({id, {modifiers, virtualKey}});
    return true;
}

void RecordingHotkeys::unregisterHotkey(HotkeyId id) {
    calls_.push_back({Call::Unregister, id, 0, 0});
    std::erase_if(active_, [id](const Entry& entry) { return entry.id == id; });
}

std::optional<RecordingHotkeys::Hotkey> RecordingHotkeys::registered(HotkeyId id) const {
    for (const auto& entry : active_) {
        if (entry.id == id) return entry.hotkey;
    }
    return std::nullopt;
}

bool RecordingHotkeys::press(HotkeyModifiers modifiers, VirtualKey virtualKey) {
    const Hotkey pressed{modifiers, virtualKey};
    const auto match = std::find_if(active_.begin(), active_.end(),
                                    [&](const Entry& entry) { return entry.hotkey == pressed; });
    if (match == active_.end()) return false;
    notify(match->id);
    return true;
}
