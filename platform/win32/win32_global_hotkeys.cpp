#include "platform/win32/win32_global_hotkeys.h"

namespace {

constexpr wchar_t windowClassName[] = L"LorvantHotkeyWindow";

void registerWindowClass(WNDPROC procedure) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = windowClassName;
    RegisterClassW(&windowClass);  // fails harmlessly when registered already
}

}  // namespace

Win32GlobalHotkeys::Win32GlobalHotkeys() {
    registerWindowClass(&Win32GlobalHotkeys::windowProcedure);
    window_ = CreateWindowExW(0, windowClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32GlobalHotkeys::~Win32GlobalHotkeys() {
    if (window_) DestroyWindow(window_);
}

bool Win32GlobalHotkeys::registerHotkey(HotkeyId id, HotkeyModifiers modifiers,
                                        VirtualKey virtualKey) {
    if (!window_) return false;
    UnregisterHotKey(window_, id.value);  // registering an id again replaces its combination
    // The stored numbers are Windows' own MOD_* flags and VK_* codes.
    return RegisterHotKey(window_, id.value, static_cast<UINT>(int(modifiers)),
                          static_cast<UINT>(virtualKey.code)) != FALSE;
}

void Win32GlobalHotkeys::unregisterHotkey(HotkeyId id) {
    if (window_) UnregisterHotKey(window_, id.value);
}

LRESULT CALLBACK Win32GlobalHotkeys::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                     LPARAM lParam) {
    if (message == WM_HOTKEY) {
        auto* self =
            reinterpret_cast<Win32GlobalHotkeys*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self) self->notify(HotkeyId(static_cast<int>(wParam)));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
