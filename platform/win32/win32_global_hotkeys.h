#pragma once

#include <windows.h>

#include "platform/global_hotkeys.h"

// Global hotkeys through RegisterHotKey on a hidden message-only window of our own. The
// UI thread's message loop (Qt's, like any other) dispatches WM_HOTKEY to it, so the ids
// arrive on the UI thread. The modifier flags 1 Alt, 2 Ctrl, 4 Shift are the platform's.
class Win32GlobalHotkeys : public GlobalHotkeys {
  public:
    Win32GlobalHotkeys();
    ~Win32GlobalHotkeys() override;
    Win32GlobalHotkeys(const Win32GlobalHotkeys&) = delete;
    Win32GlobalHotkeys& operator=(const Win32GlobalHotkeys&) = delete;

    bool registerHotkey(HotkeyId id, HotkeyModifiers modifiers, VirtualKey virtualKey) override;
    void unregisterHotkey(HotkeyId id) override;

  private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    HWND window_ = nullptr;
};
