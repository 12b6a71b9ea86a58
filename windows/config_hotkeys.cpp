// The page "KB-Wedge": the two hotkey edits take the key pressed in them as the hotkey.
#include <QKeyEvent>
#include <QLineEdit>

#include "core/hotkey_capture.h"
#include "core/vocabulary.h"
#include "platform/global_hotkeys.h"
#include "platform/virtual_keys.h"
#include "ui/qt_text.h"
#include "windows/config_form.h"

namespace {
void capture(int id, int virtualKey, bool shift, bool alt, bool ctrl, QLineEdit* edit,
             StoredHotkey& hotkey) {
    // The hotkey being edited stays off until the configuration window closes.
    globalHotkeys().unregisterHotkey(id);
    const HotkeyCapture captured = captureHotkey(virtualKey, shift, alt, ctrl);
    hotkey.modifiers = captured.modifiers;
    hotkey.key = captured.key;
    edit->setText(fromCp1252(captured.text));  // the edit writes the text
}

// The modifiers held at a key-down, the key itself included: X11 reports the state from
// before the press, so pressing Ctrl alone would read as no modifier at all.
Qt::KeyboardModifiers heldModifiers(const QKeyEvent& key) {
    Qt::KeyboardModifiers held = key.modifiers();
    if (key.key() == Qt::Key_Shift) held |= Qt::ShiftModifier;
    if (key.key() == Qt::Key_Control) held |= Qt::ControlModifier;
    if (key.key() == Qt::Key_Alt) held |= Qt::AltModifier;
    return held;
}
}  // namespace

void TConfigForm::SendHotkeyEditKeyDown(int virtualKey, bool shift, bool alt, bool ctrl) {
    capture(kSendHotkeyId, virtualKey, shift, alt, ctrl, SendHotkeyEdit, data_.settings.sendHotkey);
}

void TConfigForm::ClearHotkeyEditKeyDown(int virtualKey, bool shift, bool alt, bool ctrl) {
    capture(kClearHotkeyId, virtualKey, shift, alt, ctrl, ClearHotkeyEdit,
            data_.settings.clearHotkey);
}

bool TConfigForm::hotkeyEditKeyDown(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress ||
        (watched != SendHotkeyEdit && watched != ClearHotkeyEdit))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers held = heldModifiers(*key);
    const int virtualKey = virtualKeyFromKeyEvent(*key);
    const bool shift = held & Qt::ShiftModifier;
    const bool alt = held & Qt::AltModifier;
    const bool ctrl = held & Qt::ControlModifier;
    if (watched == SendHotkeyEdit)
        SendHotkeyEditKeyDown(virtualKey, shift, alt, ctrl);
    else
        ClearHotkeyEditKeyDown(virtualKey, shift, alt, ctrl);
    return true;
}
