#include "windows/keyboard_wedge.h"

#include <QPointer>
#include <QScopeGuard>
#include <QStatusBar>

#include "core/program_data.h"
#include "core/reception_history.h"
#include "core/transfers.h"
#include "core/vocabulary.h"
#include "platform/desktop_notifications.h"
#include "platform/global_hotkeys.h"
#include "platform/keyboard_output.h"
#include "scanner/scanner_library.h"
#include "system/serial_transport.h"
#include "text/texts.h"
#include "ui/message_box.h"
#include "ui/picture_button.h"
#include "ui/qt_text.h"
#include "windows/finish_transfer.h"
#include "windows/main_form.h"
#include "windows/receive_form.h"

namespace {
// A reading is under way; its progress lets the hotkeys and the timer through.
bool reading(const TReceiveForm* receive) {
    return receive && receive->isReading();
}
// The receive window has the scanner: a transfer would type that window's list and empty it.
bool receiveWindowOpen(const TReceiveForm* receive) {
    return receive && (receive->isVisible() || receive->isReading());
}

// While a wedge transfer runs, the main window and the tray say so; once it ends, how it
// ended. However the transfer ends, it ends once.
class WedgeActivity {
  public:
    explicit WedgeActivity(KeyboardWedge& wedge) : wedge_(wedge) {}
    void show(WedgeState state, const QString& text) {
        if (!finished_) wedge_.showActivity(state, text);
    }
    void finish(const QString& outcome, const QString& why = {}, bool failed = false) {
        if (!finished_) wedge_.endActivity(outcome, why, failed);
        finished_ = true;
    }
    ~WedgeActivity() { finish({}); }

  private:
    KeyboardWedge& wedge_;
    bool finished_ = false;
};

// How a transfer ended, for the main window's status bar.
QString outcomeText(const Reception& reception, bool typed) {
    if (reception.problem == ReceptionProblem::Cancelled) return texts::kWedgeCancelled;
    if (!reception.complete) return texts::kWedgeNothingTyped;
    if (!typed) return texts::kWedgeNotAllTyped;
    if (reception.rows.empty()) return texts::kWedgeNoBarcodes;
    return QString(texts::kWedgeTyped).arg(reception.rows.size());
}

// Why a transfer typed less than all, for the notification, and what the unit said of its
// battery and clock.
QString whyText(const Reception& reception, bool typed,
                const std::optional<TReceiveForm::ReadingWarning>& warning) {
    QStringList lines;
    if (!reception.complete && warning) lines << warning->text;
    if (reception.complete && !typed) {
        const std::string problem = keyboardOutput().problem();
        lines << (problem.empty() ? QString(texts::kNotAllTyped) : fromCp1252(problem));
    }
    if (const QString health = unitHealthText(reception.health); !health.isEmpty()) lines << health;
    return lines.join("\n");
}
}  // namespace

void registerHotkeys(const Settings& settings) {
    globalHotkeys().registerHotkey(kSendHotkeyId, settings.sendHotkey.modifiers,
                                   settings.sendHotkey.key);
    globalHotkeys().registerHotkey(kClearHotkeyId, settings.clearHotkey.modifiers,
                                   settings.clearHotkey.key);
}

KeyboardWedge::KeyboardWedge(ProgramData& data, TMainForm* main, TReceiveForm* receive)
    : data_(data), main_(main), receive_(receive) {
    SendTimer.setSingleShot(true);
    SendTimer.setInterval(500);
    // A coarse timer may fire up to 5 % early or late; the delay is meant to be 500 ms.
    SendTimer.setTimerType(Qt::PreciseTimer);
    connect(&SendTimer, &QTimer::timeout, this, &KeyboardWedge::SendTimerTimer);
    // The hotkeys outlive the wedge; a press after it has gone reaches nobody.
    globalHotkeys().setHandler([wedge = QPointer<KeyboardWedge>(this)](int id) {
        if (wedge) wedge->SwitchHotKey(id);
    });
    // What the desktop made of the hotkeys, told once by its backend.
    globalHotkeys().setNoticeHandler([](const std::string& text) {
        showMessageBox({QString::fromStdString(text), texts::kHotkeysCaption,
                        QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok});
    });
}

KeyboardWedge::~KeyboardWedge() = default;

void KeyboardWedge::SwitchHotKey(int id) {
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

void KeyboardWedge::SendTimerTimer() {
    SendTimer.stop();
    // A press taken just before the receive window opened.
    if (!receive_ || receiveWindowOpen(receive_)) return;
    if (resend_) return typeResend();
    wedgeTransferRunning = true;
    const auto done = qScopeGuard([this] { wedgeTransferRunning = false; });
    ScannerLibrary& scanner = scannerLibrary();
    scanner.ResetScannerLink();
    const int32_t port = data_.settings.port;
    if (scanner.OpenScannerPort(port) != 0) {
        const QString why = portOpenFailureText(port);
        endActivity(texts::kWedgeNothingRead, why, true);
        showWarning(why, texts::kPortNotOpenedCaption);
        return;
    }
    wedgeBarcodesInTransit = true;
    const auto inTransit = qScopeGuard([this] { wedgeBarcodesInTransit = false; });
    // The user sees that the program is at work, and the focus stays with the target.
    WedgeActivity activity(*this);
    activity.show(WedgeState::Reading, QString(texts::kWedgeReading).arg(0));
    const auto progress = connect(receive_, &TReceiveForm::receiving, this, [&activity](int n) {
        activity.show(WedgeState::Reading, QString(texts::kWedgeReading).arg(n));
    });
    // A box before the typing would take the focus from the target.
    receive_->reportAfterReading = false;
    // The main window's reading button cancels it.
    receive_->cancelControl = main_ ? main_->RecvButton : nullptr;
    receive_->GetScannerData();
    receive_->cancelControl = nullptr;
    receive_->reportAfterReading = true;
    disconnect(progress);
    const Reception reception = receive_->reception();
    const HistoryRecord recorded = receive_->recorded();
    const auto readingWarning = receive_->readingWarning();
    // A reception cut short (unknown scanner, lost connection, unreadable time stamp) types
    // nothing: its barcodes stay on the scanner, and typing the rows read before the break
    // would only type them twice once the next transfer reads them all.
    const bool complete = reception.complete;
    const bool typed = complete && typeReceivedRows(reception);
    if (typed && !reception.rows.empty()) receive_->noteDelivery(HistoryDelivery::Typed, {});
    receive_->clearList();
    // From here on the main window tells how the transfer ended, also under its messages.
    const bool failed = !typed && reception.problem != ReceptionProblem::Cancelled;
    activity.finish(outcomeText(reception, typed), whyText(reception, typed, readingWarning),
                    failed);
    // Barcodes leave the scanner only when the reception read them all and every one was typed.
    finishTransfer(data_, afterTransfer(data_.settings, reception, typed));
    // The barcodes are typed, erased or kept by now; the user may clear the scanner again
    // while the message is up.
    wedgeBarcodesInTransit = false;
    reportReadingWarning(readingWarning);
    reportUnitHealth(reception.health);
    reportRecording(recorded);
    if (complete && !typed) reportNotAllTyped();
}

void KeyboardWedge::reportNotAllTyped() {
    QString text = texts::kNotAllTyped;
    // Why, where the output knows: a desktop that lets no program type, for one.
    if (const std::string why = keyboardOutput().problem(); !why.empty())
        text += "\n\n" + fromCp1252(why);
    showWarning(text, texts::kTransferError);
}

void KeyboardWedge::resendOnHotkey(Reception reception, int64_t id, bool deliveredBefore) {
    const int rows = int(reception.rows.size());
    resend_ = Resend{std::move(reception), id, deliveredBefore};
    if (main_) main_->showWedgeActivity(QString(texts::kHistoryResendArmed).arg(rows));
}

void KeyboardWedge::typeResend() {
    wedgeTransferRunning = true;
    const auto done = qScopeGuard([this] { wedgeTransferRunning = false; });
    const Resend resend = std::move(*resend_);
    resend_.reset();
    WedgeActivity activity(*this);
    const bool typed = typeReceivedRows(resend.reception);
    activity.finish(outcomeText(resend.reception, typed),
                    whyText(resend.reception, typed, std::nullopt), !typed);
    if (!typed) return reportNotAllTyped();
    std::string error;
    if (!resend.deliveredBefore && data_.history)
        data_.history->markDelivered(resend.id, HistoryDelivery::Typed, {}, error);
}

bool KeyboardWedge::typeReceivedRows(const Reception& reception) {
    if (reception.rows.empty()) return true;
    showActivity(WedgeState::Typing, QString(texts::kWedgeTyping).arg(reception.rows.size()));
    // At once: while the keys go out, no events are processed.
    if (main_) main_->KeyStatus->repaint();
    return typeReception(reception, data_.settings, keyboardOutput());
}

void KeyboardWedge::showActivity(WedgeState state, const QString& text) {
    if (main_) main_->showWedgeActivity(text);
    emit stateChanged(state, text);
}

void KeyboardWedge::endActivity(const QString& outcome, const QString& why, bool failed) {
    if (main_) main_->endWedgeActivity(outcome);
    // A transfer that ends without a word (the scope left early) tells nobody anything.
    if (outcome.isEmpty()) return emit stateChanged(WedgeState::Ready, {});
    emit stateChanged(failed ? WedgeState::Failed : WedgeState::Ready, outcome.trimmed());
    notifyDesktop(outcome.trimmed(), why);
}

bool KeyboardWedge::isReading() const {
    return reading(receive_);
}

void KeyboardWedge::cancelReading() {
    if (isReading()) scannerLibrary().CancelReading();
}
