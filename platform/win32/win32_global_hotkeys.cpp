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

bool Win32GlobalHotkeys::registerHotkey(int id, int modifiers, int virtualKey) {
    if (!window_) return false;
    UnregisterHotKey(window_, id);  // registering an id again replaces its combination
    return RegisterHotKey(window_, id, static_cast<UINT>(modifiers),
                          static_cast<UINT>(virtualKey)) != FALSE;
}

void Win32GlobalHotkeys::unregisterHotkey(int id) {
    if (window_) UnregisterHotKey(window_, id);
}

LRESULT CALLBACK Win32GlobalHotkeys::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                                     LPARAM lParam) {
    if (message == WM_HOTKEY) {
        auto* self =
            reinterpret_cast<Win32GlobalHotkeys*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self) self->notify(static_cast<int>(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
