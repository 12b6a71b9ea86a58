// The keyboard wedge: two global hotkeys, one that reads the scanner and types every barcode
// line into whatever application has the focus, one that clears the scanner.
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopeGuard>

#include "app/texts.h"
#include "platform/global_hotkeys.h"
#include "platform/keyboard_output.h"
#include "platform/virtual_keys.h"
#include "scanner/clock_dialog.h"
#include "scanner/scanner_library.h"
#include "scanner/serial_transport.h"
#include "settings/config_form.h"
#include "transfer/hotkey_capture.h"
#include "transfer/receive_form.h"
#include "transfer/wedge_keys.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

namespace {

void capture(int id, int virtualKey, bool shift, bool alt, bool ctrl, QLineEdit* edit,
             int32_t& modifiers, int32_t& key) {
    // The hotkey being edited stays off until the configuration window closes.
    globalHotkeys().unregisterHotkey(id);
    const HotkeyCapture captured = captureHotkey(virtualKey, shift, alt, ctrl);
    modifiers = captured.modifiers;
    key = captured.key;
    edit->setText(fromCp1252(captured.text));
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
    capture(kSendHotkeyId, virtualKey, shift, alt, ctrl, SendHotkeyEdit, sendHotkeyModifiers,
            sendHotkeyKey);
}

void TConfigForm::ClearHotkeyEditKeyDown(int virtualKey, bool shift, bool alt, bool ctrl) {
    capture(kClearHotkeyId, virtualKey, shift, alt, ctrl, ClearHotkeyEdit, clearHotkeyModifiers,
            clearHotkeyKey);
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

void TConfigForm::RegisterHotkeys() {
    globalHotkeys().registerHotkey(kSendHotkeyId, sendHotkeyModifiers, sendHotkeyKey);
    globalHotkeys().registerHotkey(kClearHotkeyId, clearHotkeyModifiers, clearHotkeyKey);
}

void TConfigForm::SwitchHotKey(int id) {
    if (id == kSendHotkeyId) {
        // A second press while the timer runs neither restarts it nor queues a transfer, and
        // one while a transfer shows a message is not taken either. Nor while the receive
        // window is open: the transfer would type that window's list and empty it.
        const bool receiving = ReceiveForm && ReceiveForm->isVisible();
        if (!SendTimer.isActive() && !wedgeTransferRunning && !receiving) SendTimer.start();
    } else if (id == kClearHotkeyId) {
        scannerLibrary().EraseStoredBarcodes();
    }
}

void TConfigForm::SendTimerTimer() {
    SendTimer.stop();
    wedgeTransferRunning = true;
    const auto done = qScopeGuard([this] { wedgeTransferRunning = false; });
    ScannerLibrary& scanner = scannerLibrary();
    scanner.ResetScannerLink();
    if (scanner.OpenScannerPort(portIndex()) != 0) {
        showWarning(portOpenFailureText(portIndex()), texts::kPortNotOpenedCaption);
        return;
    }
    ReceiveForm->GetScannerData();
    // A reception cut short (unknown scanner, lost connection, unreadable time stamp) types
    // nothing: its barcodes stay on the scanner, and typing the rows read before the break
    // would only type them twice once the next transfer reads them all.
    const bool complete = ReceiveForm->ReceptionComplete;
    const bool typed = complete && typeReceivedRows();
    ReceiveForm->ListBoxAll->clearRows();
    if (SynchDateTimeCheckBox->isChecked()) {
        dlgTime->ResetToNow();
        SetScannerClock();
    }
    // Barcodes leave the scanner only when the reception read them all and every one was typed.
    if (TransDelCheckBox->isChecked() && typed) EraseIdentifiedScanner();
    if (complete && !typed) {
        QString text = texts::kNotAllTyped;
        // Why, where the output knows: a desktop that lets no program type, for one.
        if (const std::string why = keyboardOutput().problem(); !why.empty())
            text += "\n\n" + fromCp1252(why);
        showWarning(text, texts::kTransferError);
    }
}

bool TConfigForm::typeReceivedRows() {
    const DelimitedListBox* list = ReceiveForm->ListBoxAll;
    if (list->rowCount() == 0) return true;
    const char separator = wedgeSeparatorCharacter(wedgeSeparator());
    const int terminator = terminatorVirtualKey(wedgeTerminator());
    std::vector<std::string> lines;
    std::string characters;
    for (int row = 0; row < list->rowCount(); ++row) {
        lines.push_back(buildWedgeLine(list->rowFields(row), separator));
        characters += lines.back();
    }
    KeyboardOutput& keyboard = keyboardOutput();
    keyboard.beginTransfer(characters, {terminator});
    for (const std::string& line : lines) {
        for (const char c : line) keyboard.typeCharacter(c);
        keyboard.pressVirtualKey(terminator);
    }
    return keyboard.endTransfer();
}
