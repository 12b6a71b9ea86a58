#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/vocabulary.h"

// Hotkeys as passive key grabs on the root window, on a connection of their own. Whoever
// owns it watches fileDescriptor() and calls processEvents() when it is readable.
class X11HotkeyGrabs {
  public:
    // nullptr when the display cannot be opened. A null name means $DISPLAY.
    static std::unique_ptr<X11HotkeyGrabs> open(const char* displayName);
    ~X11HotkeyGrabs();
    X11HotkeyGrabs(const X11HotkeyGrabs&) = delete;
    X11HotkeyGrabs& operator=(const X11HotkeyGrabs&) = delete;

    // The modifiers and the Windows virtual-key code as stored. Replaces an earlier
    // grab of the id. False when the key has no keycode on the layout or another client
    // holds the combination; the hotkey is kept all the same and grabbed again when the
    // layout changes.
    bool add(HotkeyId id, HotkeyModifiers modifiers, VirtualKey virtualKey);
    void remove(HotkeyId id);

    int fileDescriptor() const { return ConnectionNumber(display_); }
    // Handles every event that has arrived: reports the ids of hotkeys pressed, and moves
    // the grabs to the new keycodes after a layout change.
    void processEvents(const std::function<void(HotkeyId id)>& pressed);
    // True when events wait in Xlib's queue, where the descriptor no longer shows them.
    bool hasQueuedEvents() const;

  private:
    struct Hotkey {
        HotkeyId id{};
        HotkeyModifiers modifiers{};
        VirtualKey virtualKey{};
        KeyCode keycode = 0;
        unsigned int mask = 0;
        bool grabbed = false;
    };

    explicit X11HotkeyGrabs(Display* display);
    bool grab(Hotkey& hotkey);
    void ungrab(Hotkey& hotkey);
    std::vector<unsigned int> lockVariants() const;
    void regrabAll();
    std::optional<HotkeyId> pressedId(const XKeyEvent& event) const;
    // Reads every event that has arrived, adding the ids of hotkeys pressed; true when the
    // layout changed.
    bool takePendingEvents(std::vector<HotkeyId>& ids);

    Display* display_;
    Window root_;
    int xkbEventBase_ = -1;
    unsigned int numLockMask_ = 0;
    std::vector<Hotkey> hotkeys_;
};
