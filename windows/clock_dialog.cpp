#include "windows/clock_dialog.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QTimeEdit>

#include "core/transfers.h"
#include "scanner/clock_buffer.h"
#include "scanner/scanner_library.h"
#include "text/texts.h"
#include "ui/message_box.h"
#include "windows/config_form.h"

TdlgTime::TdlgTime(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Set KeyFob Time");
    setFixedSize(229, 271);
    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 209, 209);
    Calendar = new QCalendarWidget(this);
    Calendar->setGeometry(19, 21, 191, 154);
    Calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // Seven columns in 191 pixels leave room for one letter per weekday.
    Calendar->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    pckTime = new QTimeEdit(this);
    pckTime->setDisplayFormat("HH:mm:ss");
    pckTime->setGeometry(19, 181, 191, 21);
    OKBtn = new QPushButton(texts::kOk, this);
    OKBtn->setGeometry(13, 232, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(texts::kCancel, this);
    CancelBtn->setGeometry(141, 232, 75, 25);
    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, Calendar);
    setTabOrder(Calendar, pckTime);
    connect(OKBtn, &QPushButton::clicked, this, &TdlgTime::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TdlgTime::CancelBtnClick);
}

void TdlgTime::ResetToNow() {
    const LocalDateTime now = currentDateTime();
    Calendar->setSelectedDate(QDate(now.year, now.month, now.day));
    pckTime->setTime(QTime(now.hour, now.minute, now.second));
}

void TdlgTime::FormShow() {
    ResetToNow();
}
void TdlgTime::OKBtnClick() {
    done(ModalOk);
}
void TdlgTime::CancelBtnClick() {
    done(ModalCancel);
}
void TdlgTime::reject() {
    done(ModalCancel);
}

void TdlgTime::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

LocalDateTime TdlgTime::value() const {
    const QDate date = Calendar->selectedDate();
    const QTime time = pckTime->time();
    LocalDateTime v;
    v.year = date.year();
    v.month = date.month();
    v.day = date.day();
    v.hour = time.hour();
    v.minute = time.minute();
    v.second = time.second();
    return v;
}

bool TConfigForm::SetScannerClock() {
    return clock_ && setScannerClock(scannerLibrary(), portIndex(), clock_->value());
}

void TConfigForm::SetTimeDateButtonClick() {
    if (!clock_ || showModal(clock_) != ModalOk) return;
    // Set by hand, the user waits for it: a clock that was not set must not pass unnoticed.
    if (!SetScannerClock()) showWarning(texts::kNoConnection, texts::kCommunicationError);
}
