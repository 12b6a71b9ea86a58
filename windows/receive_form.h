#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <optional>
#include <string>

#include "core/barcode_reception.h"
#include "core/program_data.h"
#include "core/reception_history.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class DelimitedListBox;
struct UploadProgress;

// The receive window: reads the scanner when shown and lists one barcode line per stored
// barcode; "Speichern" writes them to the data file. The keyboard wedge uses the same
// reading routine with the window hidden.
//
// While the barcodes arrive, a progress bar in the status bar counts them, and the windows
// repaint (events are processed; the user's clicks and keys are dropped, not held back).
// Meanwhile the hotkeys, the send timer and the main window's commands take no action and
// this window does not close: none of them may start another exchange with the scanner
// inside the running one.
class TReceiveForm : public QDialog {
    Q_OBJECT
  public:
    // Reads into and saves from `data`: the settings, the registered scanners and the
    // scanner record of the last reception.
    explicit TReceiveForm(ProgramData& data, QWidget* parent = nullptr);

    DelimitedListBox* ListBoxAll = nullptr;
    QStatusBar* ReceiveStatusBar = nullptr;
    QLabel* ReceiveStatusText = nullptr;
    // Shown while the barcodes arrive.
    QProgressBar* ReceiveProgress = nullptr;
    // How many rows the unit's previous reception held too; hidden when none.
    QLabel* RepeatedText = nullptr;
    QPushButton* ListeSpeichernButton = nullptr;
    QPushButton* CloseButton = nullptr;
    // The current list has been saved.
    bool ListSaved = false;
    // The last reception, which the list shows.
    const Reception& reception() const { return reception_; }
    // How recording the last reception in the history went.
    const HistoryRecord& recorded() const { return recorded_; }
    // A message for the user once the reading is over.
    struct ReadingWarning {
        QString text;
        QString caption;
    };
    // What the last reading has to tell the user: why it read less than all, what recording
    // it in the history gave. The window shows it at the end of the reading; the wedge, which
    // must not take the focus from the target before the typing, shows it itself after.
    bool reportAfterReading = true;
    // Another control whose clicks reach it while the window reads (hidden, for the wedge):
    // the main window's button that cancels the reading.
    QWidget* cancelControl = nullptr;
    // The tray icon's menu, whose one command during a reading is "Abbrechen".
    QWidget* trayMenu = nullptr;
    const std::optional<ReadingWarning>& readingWarning() const { return warning_; }
    // Notes in the history how the last reception was delivered; a failure is reported.
    void noteDelivery(HistoryDelivery delivery, const std::string& file);
    // Empties the list and forgets its reception.
    void clearList();

    QString statusText() const;
    void setStatusText(const QString& text);

    // Reads every stored barcode into ListBoxAll. The scanner port must be open.
    void GetScannerData();
    // A reading is under way.
    bool isReading() const { return reading_; }
    void FormShow();
    void ListeSpeichernButtonClick();
    // `keepOpen` set to true keeps the window open.
    void FormClose(bool& keepOpen);

    // Shows the window and then reads the scanner (FormShow): the window is on the screen
    // before the reading starts.
    void setVisible(bool visible) override;

  signals:
    // While a reading receives the barcodes: how many have arrived so far.
    void receiving(int barcodes);

  protected:
    void done(int result) override;

  private:
    void showCaptions(DataFormat option);
    std::optional<ReadingWarning> readBarcodes();
    void showReception(const Settings& settings);
    void showRepeatedRows();
    static std::optional<ReadingWarning> warningFor(const Reception& reception);
    void showOnScreen();
    void showProgress(const UploadProgress& progress);
    // Lets the windows repaint, and the way out of the reading through, twenty times a
    // second.
    void letEventsThrough();

    ProgramData& data_;
    bool reading_ = false;
    QElapsedTimer lastRepaint_;
    Reception reception_;
    HistoryRecord recorded_;
    std::optional<ReadingWarning> warning_;
};

// Tells the user what recording a reception in the history gave: that it is not in the
// history, or that the history had to begin anew.
void reportRecording(const HistoryRecord& recorded);
// What the unit said of its battery and clock, a line each; empty when all is well.
QString unitHealthText(const UnitHealth& health);
// One message for a low battery and a clock that lost power, when the unit said so.
void reportUnitHealth(const UnitHealth& health);
// Shows the warning of a reading, if it has one.
void reportReadingWarning(const std::optional<TReceiveForm::ReadingWarning>& warning);
