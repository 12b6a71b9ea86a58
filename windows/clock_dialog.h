#pragma once

#include <QDialog>

#include "text/clock.h"

class QCalendarWidget;
class QFrame;
class QPushButton;
class QTimeEdit;

// The clock dialog: a date and a time of day for the scanner's clock.
class TdlgTime : public QDialog {
    Q_OBJECT
  public:
    explicit TdlgTime(QWidget* parent = nullptr);

    QFrame* Bevel1 = nullptr;
    QCalendarWidget* Calendar = nullptr;
    QTimeEdit* pckTime = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

    // Sets the calendar and the time picker to the PC's current local date and time.
    void ResetToNow();
    void FormShow();
    void OKBtnClick();
    void CancelBtnClick();
    // The date of the calendar with the time of day of the picker.
    LocalDateTime value() const;

  protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;
};
