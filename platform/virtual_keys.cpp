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
constexpr std::pair<int, int> qtKeyCodes[] = {
    {Qt::Key_Backspace, 8},      {Qt::Key_Tab, 9},
    {Qt::Key_Backtab, 9},        {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13},        {Qt::Key_Enter, 13},
    {Qt::Key_Shift, 16},         {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},           {Qt::Key_AltGr, 18},
    {Qt::Key_Pause, 19},         {Qt::Key_CapsLock, 20},
    {Qt::Key_Escape, 27},        {Qt::Key_Space, 32},
    {Qt::Key_PageUp, 33},        {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},           {Qt::Key_Home, 36},
    {Qt::Key_Left, 37},          {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},         {Qt::Key_Down, 40},
    {Qt::Key_Select, 41},        {Qt::Key_Printer, 42},
    {Qt::Key_Execute, 43},       {Qt::Key_Print, 44},
    {Qt::Key_Insert, 45},        {Qt::Key_Delete, 46},
    {Qt::Key_Help, 47},          {Qt::Key_Meta, 91},
    {Qt::Key_Menu, 93},          {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145},   {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},        {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},         {Qt::Key_Comma, 188},
    {Qt::Key_Minus, 189},        {Qt::Key_Underscore, 189},
    {Qt::Key_Period, 190},       {Qt::Key_Greater, 190},
    {Qt::Key_Slash, 191},        {Qt::Key_Question, 191},
    {Qt::Key_QuoteLeft, 192},    {Qt::Key_AsciiTilde, 192},
    {Qt::Key_BracketLeft, 219},  {Qt::Key_BraceLeft, 219},
    {Qt::Key_Backslash, 220},    {Qt::Key_Bar, 220},
    {Qt::Key_BracketRight, 221}, {Qt::Key_BraceRight, 221},
    {Qt::Key_Apostrophe, 222},   {Qt::Key_QuoteDbl, 222},
    {Qt::Key_Less, 226},         {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},           {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},       {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},  {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},     {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},   {Qt::Key_Adiaeresis, 222},
    {Qt::Key_Odiaeresis, 192},   {Qt::Key_Udiaeresis, 186},
    {Qt::Key_ssharp, 219},       {Qt::Key_Dead_Circumflex, 220},
    {Qt::Key_Dead_Acute, 221},   {Qt::Key_Dead_Grave, 192},
};

// The numpad operators, with Num Lock on or off alike.
constexpr std::pair<int, int> keypadCodes[] = {
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107},  {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},   {Qt::Key_Comma, 110}, {Qt::Key_Slash, 111},
};

int lookUp(const auto& table, int qtKey) {
    const auto found = std::find_if(std::begin(table), std::end(table),
                                    [qtKey](const auto& pair) { return pair.first == qtKey; });
    return found == std::end(table) ? 0 : found->second;
}

#if defined(LORVANT_HAVE_X11)
int virtualKeyFromX11(const QKeyEvent& event) {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display() || event.nativeScanCode() == 0) return 0;
    return virtualKeyOfX11Key(x11->display(), event.nativeScanCode(), event.nativeVirtualKey(),
                              event.nativeModifiers());
}
#endif

}  // namespace

int virtualKeyForQtKey(int qtKey, bool keypad) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return (keypad ? 96 : '0') + (qtKey - Qt::Key_0);
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
    if (keypad) {
        if (const int code = lookUp(keypadCodes, qtKey)) return code;
    }
    return lookUp(qtKeyCodes, qtKey);
}

int virtualKeyFromKeyEvent(const QKeyEvent& event) {
#if defined(Q_OS_WIN)
    if (event.nativeVirtualKey() != 0) return static_cast<int>(event.nativeVirtualKey());
#elif defined(LORVANT_HAVE_X11)
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (const int code = virtualKeyFromX11(event)) return code;
    }
#endif
    return virtualKeyForQtKey(event.key(), event.modifiers() & Qt::KeypadModifier);
}
