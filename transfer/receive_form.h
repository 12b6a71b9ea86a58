#pragma once

#include <QDialog>
#include <string>

#include "transfer/reception.h"

class QLabel;
class QPushButton;
class QStatusBar;
class DelimitedListBox;

// The receive window: reads the scanner when shown and lists one barcode line per stored
// barcode; "Speichern" writes them to the data file. The keyboard wedge uses the same
// reading routine with the window hidden.
class TReceiveForm : public QDialog {
    Q_OBJECT
  public:
    explicit TReceiveForm(QWidget* parent = nullptr);

    DelimitedListBox* ListBoxAll = nullptr;
    QStatusBar* ReceiveStatusBar = nullptr;
    QLabel* ReceiveStatusText = nullptr;
    QPushButton* ListeSpeichernButton = nullptr;
    QPushButton* CloseButton = nullptr;
    // The current list has been saved.
    bool ListSaved = false;
    // The last reception read every barcode the scanner reported into the list (it was not
    // cut short by an unknown scanner, a lost connection or an unreadable time stamp, and no
    // packet was left out).
    bool ReceptionComplete = false;
    // The number of barcodes the scanner reported in the last reception.
    int ReceivedCount = 0;

    QString statusText() const;
    void setStatusText(const QString& text);

    // Reads every stored barcode into ListBoxAll. The scanner port must be open.
    void GetScannerData();
    void FormShow();
    void ListeSpeichernButtonClick();
    // `keepOpen` set to true keeps the window open.
    void FormClose(bool& keepOpen);

  protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

  private:
    void showCaptions(DataFormat option);
    void reportUnreadBarcodes(int unread, int count);
};

extern TReceiveForm* ReceiveForm;
