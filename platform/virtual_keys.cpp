#include "platform/virtual_keys.h"

#include <QGuiApplication>
#include <algorithm>
#include <utility>

#if defined(LORVANT_HAVE_X11)
#include "platform/x11/x11_keymap.h"
#endif

namespace {

// Keys with a code of their own, and the symbols of the punctuation keys with and
// without Shift (US layout, plus the German keys that the US one lacks).
constexpr std::pair<int, VirtualKey> qtKeyCodes[] = {
    {Qt::Key_Backspace, vk::Back},
    {Qt::Key_Tab, vk::Tab},
    {Qt::Key_Backtab, vk::Tab},
    {Qt::Key_Clear, vk::Clear},
    {Qt::Key_Return, vk::Return},
    {Qt::Key_Enter, vk::Return},
    {Qt::Key_Shift, vk::Shift},
    {Qt::Key_Control, vk::Control},
    {Qt::Key_Alt, vk::Alt},
    {Qt::Key_AltGr, vk::Alt},
    {Qt::Key_Pause, vk::Pause},
    {Qt::Key_CapsLock, vk::CapsLock},
    {Qt::Key_Escape, vk::Escape},
    {Qt::Key_Space, vk::Space},
    {Qt::Key_PageUp, vk::PageUp},
    {Qt::Key_PageDown, vk::PageDown},
    {Qt::Key_End, vk::End},
    {Qt::Key_Home, vk::Home},
    {Qt::Key_Left, vk::Left},
    {Qt::Key_Up, vk::Up},
    {Qt::Key_Right, vk::Right},
    {Qt::Key_Down, vk::Down},
    {Qt::Key_Select, vk::Select},
    {Qt::Key_Printer, vk::Print},
    {Qt::Key_Execute, vk::Execute},
    {Qt::Key_Print, vk::Snapshot},
    {Qt::Key_Insert, vk::Insert},
    {Qt::Key_Delete, vk::Delete},
    {Qt::Key_Help, vk::Help},
    {Qt::Key_Meta, vk::LeftWindows},
    {Qt::Key_Menu, vk::Apps},
    {Qt::Key_NumLock, vk::NumLock},
    {Qt::Key_ScrollLock, vk::ScrollLock},
    {Qt::Key_Semicolon, vk::OemSemicolon},
    {Qt::Key_Colon, vk::OemSemicolon},
    {Qt::Key_Equal, vk::OemPlus},
    {Qt::Key_Plus, vk::OemPlus},
    {Qt::Key_Comma, vk::OemComma},
    {Qt::Key_Minus, vk::OemMinus},
    {Qt::Key_Underscore, vk::OemMinus},
    {Qt::Key_Period, vk::OemPeriod},
    {Qt::Key_Greater, vk::OemPeriod},
    {Qt::Key_Slash, vk::OemSlash},
    {Qt::Key_Question, vk::OemSlash},
    {Qt::Key_QuoteLeft, vk::OemGrave},
    {Qt::Key_AsciiTilde, vk::OemGrave},
    {Qt::Key_BracketLeft, vk::OemBracketLeft},
    {Qt::Key_BraceLeft, vk::OemBracketLeft},
    {Qt::Key_Backslash, vk::OemBackslash},
    {Qt::Key_Bar, vk::OemBackslash},
    {Qt::Key_BracketRight, vk::OemBracketRight},
    {Qt::Key_BraceRight, vk::OemBracketRight},
    {Qt::Key_Apostrophe, vk::OemQuote},
    {Qt::Key_QuoteDbl, vk::OemQuote},
    {Qt::Key_Less, vk::OemLess},
    {Qt::Key_Exclam, vk::digit(1)},
    {Qt::Key_At, vk::digit(2)},
    {Qt::Key_NumberSign, vk::digit(3)},
    {Qt::Key_Dollar, vk::digit(4)},
    {Qt::Key_Percent, vk::digit(5)},
    {Qt::Key_AsciiCircum, vk::digit(6)},
    {Qt::Key_Ampersand, vk::digit(7)},
    {Qt::Key_Asterisk, vk::digit(8)},
    {Qt::Key_ParenLeft, vk::digit(9)},
    {Qt::Key_ParenRight, vk::digit(0)},
    {Qt::Key_Adiaeresis, vk::OemQuote},
    {Qt::Key_Odiaeresis, vk::OemGrave},
    {Qt::Key_Udiaeresis, vk::OemSemicolon},
    {Qt::Key_ssharp, vk::OemBracketLeft},
    {Qt::Key_Dead_Circumflex, vk::OemBackslash},
    {Qt::Key_Dead_Acute, vk::OemBracketRight},
    {Qt::Key_Dead_Grave, vk::OemGrave},
};

// The numpad operators, with Num Lock on or off alike.
constexpr std::pair<int, VirtualKey> keypadCodes[] = {
    {Qt::Key_Asterisk, vk::Multiply}, {Qt::Key_Plus, vk::Add},      {Qt::Key_Minus, vk::Subtract},
    {Qt::Key_Period, vk::Decimal},    {Qt::Key_Comma, vk::Decimal}, {Qt::Key_Slash, vk::Divide},
};

VirtualKey lookUp(const auto& table, int qtKey) {
    const auto found = std::find_if(std::begin(table), std::end(table),
                                    [qtKey](const auto& pair) { return pair.first == qtKey; });
    return found == std::end(table) ? VirtualKey() : found->second;
}

#if defined(LORVANT_HAVE_X11)
VirtualKey virtualKeyFromX11(const QKeyEvent& event) {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display() || event.nativeScanCode() == 0) return 0;
    return virtualKeyOfX11Key(x11->display(), event.nativeScanCode(), event.nativeVirtualKey(),
                              event.nativeModifiers());
}
#endif

}  // namespace

VirtualKey virtualKeyForQtKey(int qtKey, bool keypad) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return vk::letter('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        const int digit = qtKey - Qt::Key_0;
        return keypad ? vk::numpadDigit(digit) : vk::digit(digit);
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return vk::function(qtKey - Qt::Key_F1 + 1);
    if (keypad) {
        if (const VirtualKey code = lookUp(keypadCodes, qtKey)) return code;
    }
    return lookUp(qtKeyCodes, qtKey);
}

VirtualKey virtualKeyFromKeyEvent(const QKeyEvent& event) {
#if defined(Q_OS_WIN)
    if (event.nativeVirtualKey() != 0) return static_cast<int>(event.nativeVirtualKey());
#elif defined(LORVANT_HAVE_X11)
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (const VirtualKey code = virtualKeyFromX11(event)) return code;
    }
#endif
    return virtualKeyForQtKey(event.key(), event.modifiers() & Qt::KeypadModifier);
}
