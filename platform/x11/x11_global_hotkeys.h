#pragma once

#include <QSocketNotifier>
#include <memory>

#include "platform/global_hotkeys.h"

class X11HotkeyGrabs;

// Global hotkeys on X11: key grabs on the root window, on a connection of the program's
// own that the event loop watches. That works whatever Qt platform plugin runs, as long
// as an X display is there.
class X11GlobalHotkeys : public GlobalHotkeys {
  public:
    // nullptr when the display cannot be opened. A null name means $DISPLAY. Needs the
    // application object.
    static std::unique_ptr<X11GlobalHotkeys> open(const char* displayName = nullptr);
    ~X11GlobalHotkeys() override;

    bool registerHotkey(HotkeyId id, HotkeyModifiers modifiers, VirtualKey virtualKey) override;
    void unregisterHotkey(HotkeyId id) override;

  private:
    explicit X11GlobalHotkeys(std::unique_ptr<X11HotkeyGrabs> grabs);
    void processEvents();
    void processQueuedEventsSoon();

    std::unique_ptr<X11HotkeyGrabs> grabs_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
