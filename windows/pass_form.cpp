#include "windows/pass_form.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "text/cp1252.h"
#include "text/texts.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

const char* const kConfigurationPassword = "TR$WX";

bool passwordMatches(const std::string& typed, std::string_view password) {
    // Upper-cased as Windows does for its single-byte text, umlauts included; no trimming.
    return cp1252::toUpper(typed) == password;
}

TPassForm::TPassForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Konfigurations Passwort");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(233, 93);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    Label1 = new QLabel("Passwort Eingabe", this);
    Label1->move(8, 9);
    Password = new QLineEdit(this);
    Password->setGeometry(8, 27, 217, 21);
    Password->setEchoMode(QLineEdit::Password);
    QPalette tooltip = Password->palette();
    tooltip.setColor(QPalette::Base, tooltip.color(QPalette::ToolTipBase));
    Password->setPalette(tooltip);
    OKBtn = new QPushButton(texts::kOk, this);
    OKBtn->setGeometry(70, 59, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(texts::kCancel, this);
    CancelBtn->setGeometry(150, 59, 75, 25);
    CancelBtn->setAutoDefault(false);
    setTabOrder(Password, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    connect(OKBtn, &QPushButton::clicked, this, &TPassForm::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TPassForm::reject);
}

void TPassForm::FormShow() {
    Password->clear();
    Password->setFocus();
}

void TPassForm::OKBtnClick() {
    done(passwordMatches(toCp1252(Password->text()), password) ? ModalOk : ModalCancel);
}

void TPassForm::reject() {
    done(ModalCancel);
}

void TPassForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}
