#pragma once

#include <optional>
#include <vector>

#include "platform/global_hotkeys.h"

// Hotkeys that only remember what was asked of them. Tests install it to see every
// registration and to press a hotkey; the program falls back to it without a display.
class RecordingHotkeys : public GlobalHotkeys {
  public:
    struct Call {
        enum Kind { Register, Unregister } kind = Register;
        HotkeyId id{};
        HotkeyModifiers modifiers{};  // Register only
        VirtualKey virtualKey{};      // Register only
        bool operator==(const Call&) const = default;
    };
    struct Hotkey {
        HotkeyModifiers modifiers{};
        VirtualKey virtualKey{};
        bool operator==(const Hotkey&) const = default;
    };

    bool registerHotkey(HotkeyId id, HotkeyModifiers modifiers, VirtualKey virtualKey) override;
    void unregisterHotkey(HotkeyId id) override;

    // Every register and unregister call, in order.
    const std::vector<Call>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    // The combination registered under `id` now, if any.
    std::optional<Hotkey> registered(HotkeyId id) const;
    // Later registrations fail, as when another program owns the combination.
    void setRefuseRegistrations(bool refuse) { refuse_ = refuse; }

    // Simulates the user pressing a combination: reports the id registered with it.
    // False when no registered hotkey matches, as the platform would ignore it then.
    bool press(HotkeyModifiers modifiers, VirtualKey virtualKey);
    // Simulates the platform reporting `id`, registered or not.
    void pressId(HotkeyId id) { notify(id); }

  private:
    struct Entry {
        HotkeyId id{};
        Hotkey hotkey;
    };
    std::vector<Call> calls_;
    std::vector<Entry> active_;
    bool refuse_ = false;
};
