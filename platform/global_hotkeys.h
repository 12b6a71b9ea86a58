#pragma once

#include <functional>

// Global hotkeys: registered by id, reported by id when pressed anywhere on the desktop.
class GlobalHotkeys {
  public:
    virtual ~GlobalHotkeys() = default;
    // modifiers: 1 Alt, 2 Ctrl, 4 Shift; virtualKey: a Windows virtual-key code.
    virtual bool registerHotkey(int id, int modifiers, int virtualKey) = 0;
    virtual void unregisterHotkey(int id) = 0;
    // Called on the user-interface thread when a registered hotkey is pressed.
    void setHandler(std::function<void(int id)> handler) { handler_ = std::move(handler); }

  protected:
    void notify(int id) {
        if (handler_) handler_(id);
    }

  private:
    std::function<void(int id)> handler_;
};

GlobalHotkeys& globalHotkeys();
void setGlobalHotkeys(GlobalHotkeys* hotkeys);
