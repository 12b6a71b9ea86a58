// The keyboard wedge: two global hotkeys, one that reads the scanner and types every barcode
// line into whatever application has the focus, one that clears the scanner.
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopeGuard>
#include <QStatusBar>

#include "core/hotkey_capture.h"
#include "core/transfers.h"
#include "core/wedge_keys.h"
#include "platform/global_hotkeys.h"
#include "platform/keyboard_output.h"
#include "platform/virtual_keys.h"
#include "scanner/scanner_library.h"
#include "system/serial_transport.h"
#include "text/texts.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "windows/clock_dialog.h"
#include "windows/config_form.h"
#include "windows/finish_transfer.h"
#include "windows/main_form.h"
#include "windows/receive_form.h"

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

void TConfigForm::RegisterHotkeys() {
    const Settings& s = settings();
    globalHotkeys().registerHotkey(kSendHotkeyId, s.sendHotkey.modifiers, s.sendHotkey.key);
    globalHotkeys().registerHotkey(kClearHotkeyId, s.clearHotkey.modifiers, s.clearHotkey.key);
}

namespace {
// A reading is under way; its progress lets the hotkeys and the timer through.
bool reading(const TReceiveForm* receive) {
    return receive && receive->isReading();
}
// The receive window has the scanner: a transfer would type that window's list and empty it.
bool receiveWindowOpen(const TReceiveForm* receive) {
    return receive && (receive->isVisible() || receive->isReading());
}

// While a wedge transfer runs, the main window says so.
class WedgeActivity {
  public:
    explicit WedgeActivity(TMainForm* main) : main_(main) {}
    void show(const QString& text) {
        if (main_) main_->showWedgeActivity(text);
    }
    ~WedgeActivity() {
        if (main_) main_->endWedgeActivity();
    }

  private:
    TMainForm* main_;
};
}  // namespace

void TConfigForm::SwitchHotKey(int id) {
    if (id == kSendHotkeyId) {
        // A second press while the timer runs neither restarts it nor queues a transfer, and
        // one while a transfer shows a message is not taken either. Nor while the receive
        // window is open.
        if (!SendTimer.isActive() && !wedgeTransferRunning && !receiveWindowOpen(receive_))
            SendTimer.start();
    } else if (id == kClearHotkeyId) {
        // Not in the middle of a reading, nor while a wedge transfer reads and types: the
        // barcodes on their way are neither saved nor typed yet.
        if (!reading(receive_) && !wedgeBarcodesInTransit) scannerLibrary().EraseStoredBarcodes();
    }
}

void TConfigForm::SendTimerTimer() {
    SendTimer.stop();
    // A press taken just before the receive window opened.
    if (!receive_ || receiveWindowOpen(receive_)) return;
    wedgeTransferRunning = true;
    const auto done = qScopeGuard([this] { wedgeTransferRunning = false; });
    ScannerLibrary& scanner = scannerLibrary();
    scanner.ResetScannerLink();
    if (scanner.OpenScannerPort(portIndex()) != 0) {
        showWarning(portOpenFailureText(portIndex()), texts::kPortNotOpenedCaption);
        return;
    }
    wedgeBarcodesInTransit = true;
    const auto inTransit = qScopeGuard([this] { wedgeBarcodesInTransit = false; });
    // The user sees that the program is at work, and the focus stays with the target.
    WedgeActivity activity(main_);
    activity.show(QString(texts::kWedgeReading).arg(0));
    const auto progress = connect(receive_, &TReceiveForm::receiving, this, [&activity](int n) {
        activity.show(QString(texts::kWedgeReading).arg(n));
    });
    receive_->GetScannerData();
    disconnect(progress);
    const Reception reception = receive_->reception();
    // A reception cut short (unknown scanner, lost connection, unreadable time stamp) types
    // nothing: its barcodes stay on the scanner, and typing the rows read before the break
    // would only type them twice once the next transfer reads them all.
    const bool complete = reception.complete;
    const bool typed = complete && typeReceivedRows(reception);
    receive_->clearList();
    // Barcodes leave the scanner only when the reception read them all and every one was typed.
    finishTransfer(data_, afterTransfer(settings(), reception, typed));
    // The barcodes are typed, erased or kept by now; the user may clear the scanner again
    // while the message is up.
    wedgeBarcodesInTransit = false;
    if (complete && !typed) {
        QString text = texts::kNotAllTyped;
        // Why, where the output knows: a desktop that lets no program type, for one.
        if (const std::string why = keyboardOutput().problem(); !why.empty())
            text += "\n\n" + fromCp1252(why);
        showWarning(text, texts::kTransferError);
    }
}

bool TConfigForm::typeReceivedRows(const Reception& reception) {
    if (reception.rows.empty()) return true;
    if (main_) {
        main_->showWedgeActivity(QString(texts::kWedgeTyping).arg(reception.rows.size()));
        // At once: while the keys go out, no events are processed.
        main_->KeyStatus->repaint();
    }
    return typeReception(reception, settings(), keyboardOutput());
}
