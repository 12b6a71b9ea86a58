#pragma once

#include <functional>
#include <string>

#include "core/vocabulary.h"

// System-wide hotkeys: a key combination registered under an id is reported by that id
// whenever it is pressed, whichever application has the focus.
class GlobalHotkeys {
  public:
    virtual ~GlobalHotkeys() = default;

    // The modifiers and key as the settings file stores them, a Windows virtual-key code, so
    // it means the same on every platform. Registering an id again replaces
    // its combination. False when the platform refuses (another program owns the
    // combination, or the key has no equivalent here).
    virtual bool registerHotkey(HotkeyId id, HotkeyModifiers modifiers, VirtualKey virtualKey) = 0;
    virtual void unregisterHotkey(HotkeyId id) = 0;

    // False where the desktop lets no program grab keys (Wayland without a shortcut
    // portal): the combinations are kept, but only the wedge commands, bound in the
    // desktop's own keyboard settings, reach the program.
    virtual bool grabsKeys() const { return true; }

    // Called on the UI thread when a registered hotkey is pressed.
    void setHandler(std::function<void(HotkeyId id)> handler);
    // Called on the UI thread with what the user should know of the hotkeys (a desktop that
    // bound other keys or none), in German, UTF-8; the caller shows it.
    void setNoticeHandler(std::function<void(const std::string& text)> handler);
    // A wedge command (`lorvant --send`, `lorvant --erase`) arrives as the press of its
    // hotkey's id would, registered or not.
    void deliverCommand(HotkeyId id) { notify(id); }

  protected:
    void notify(HotkeyId id);
    void tell(const std::string& text);

  private:
    std::function<void(HotkeyId id)> handler_;
    std::function<void(const std::string& text)> noticeHandler_;
};

// The process-wide hotkeys: the platform's backend (X11 when a display can be opened,
// RegisterHotKey on Windows), else a recording one. Create the application object first:
// the X11 backend watches its connection from the event loop.
GlobalHotkeys& globalHotkeys();
// Installs another backend (tests); nullptr goes back to the platform's one. The caller
// keeps ownership.
void setGlobalHotkeys(GlobalHotkeys* hotkeys);
