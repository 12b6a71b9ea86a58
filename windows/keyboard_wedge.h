#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <optional>

#include "core/barcode_reception.h"

struct Settings;
class ProgramData;
class TMainForm;
class TReceiveForm;

// What the wedge is doing, for the tray icon.
enum class WedgeState { Ready, Reading, Typing, Failed };

// The keyboard wedge: two global hotkeys, one that reads the scanner and types every barcode
// line into whatever application has the focus, one that clears the scanner. It reads with
// the receive window hidden and shows its work in the main window's status bar.
class KeyboardWedge : public QObject {
    Q_OBJECT
  public:
    // Takes the hotkeys' presses (and the wedge commands that come the same way) from now on.
    KeyboardWedge(ProgramData& data, TMainForm* main, TReceiveForm* receive);
    ~KeyboardWedge() override;

    // Started by the send hotkey; when it runs out, the transfer starts.
    QTimer SendTimer;
    // A wedge transfer is under way (its message boxes run the event loop, where another
    // press of the send hotkey would start a second transfer inside the first).
    bool wedgeTransferRunning = false;
    // From the reading to the erase a transfer decides on: barcodes read are not yet typed,
    // and the clear hotkey takes no action. Its closing message no longer counts.
    bool wedgeBarcodesInTransit = false;

    // A hotkey (or wedge command) by its id: send or clear.
    void SwitchHotKey(int id);
    // The transfer: read, type every row, then the clock and the erase as configured.
    void SendTimerTimer();

    // "Erneut senden" from the history: the next press of the send hotkey types `reception`
    // (history entry `id`) instead of reading the scanner, and leaves the scanner alone. The
    // main window says so until then. A reception not delivered before counts as typed.
    void resendOnHotkey(Reception reception, int64_t id, bool deliveredBefore);
    bool resendPending() const { return resend_.has_value(); }

    // Cancels the reading of a transfer (or of the receive window) that is under way.
    void cancelReading();
    bool isReading() const;
    bool isBusy() const { return wedgeTransferRunning || isReading(); }

    // What a transfer shows while it runs (the main window's status text), and once it ends.
    void showActivity(WedgeState state, const QString& text);
    // `outcome` as the status bar shows it, `why` the reason when not all went well, and
    // what the unit said of its battery and clock.
    void endActivity(const QString& outcome, const QString& why, bool failed);

  signals:
    void stateChanged(WedgeState state, const QString& text);

  private:
    // Types every row of a reception, each closed by the terminator key. False when not
    // every key went out.
    bool typeReceivedRows(const Reception& reception);
    void typeResend();
    void reportNotAllTyped();

    struct Resend {
        Reception reception;
        int64_t id = 0;
        bool deliveredBefore = false;
    };
    std::optional<Resend> resend_;

    ProgramData& data_;
    TMainForm* main_;
    TReceiveForm* receive_;
};

// Registers the send and the clear hotkey of `settings`.
void registerHotkeys(const Settings& settings);
