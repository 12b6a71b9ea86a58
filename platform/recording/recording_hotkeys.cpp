#include "platform/recording/recording_hotkeys.h"

#include <algorithm>

bool RecordingHotkeys::registerHotkey(int id, int modifiers, int virtualKey) {
    calls_.push_back({Call::Register, id, modifiers, virtualKey});
    if (refuse_) return false;
    std::erase_if(active_, [id](const Entry& entry) { return entry.id == id; });
    active_.push_back({id, {modifiers, virtualKey}});
    return true;
}

void RecordingHotkeys::unregisterHotkey(int id) {
    calls_.push_back({Call::Unregister, id, 0, 0});
    std::erase_if(active_, [id](const Entry& entry) { return entry.id == id; });
}

std::optional<RecordingHotkeys::Hotkey> RecordingHotkeys::registered(int id) const {
    for (const auto& entry : active_) {
        if (entry.id == id) return entry.hotkey;
    }
    return std::nullopt;
}

bool RecordingHotkeys::press(int modifiers, int virtualKey) {
    const Hotkey pressed{modifiers, virtualKey};
    const auto match = std::find_if(active_.begin(), active_.end(),
                                    [&](const Entry& entry) { return entry.hotkey == pressed; });
    if (match == active_.end()) return false;
    notify(match->id);
    return true;
}
