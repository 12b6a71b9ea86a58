#include "app/info_form.h"

#include <QLabel>
#include <QPushButton>
#include <QSvgWidget>

TInfoForm* InfoForm = nullptr;

TInfoForm::TInfoForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Info");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(366, 262);
    Logo = new QLabel(this);
    Logo->setGeometry(36, 68, 33, 37);
    Logo->setPixmap(QIcon(":/pictures/logo.svg").pixmap(33, 37));
    auto* maker = new QLabel(
        "<b>Lorvant</b> – Barcodes vom Taschenscanner zum PC<br><br>"
        "Q&amp;Z Datentechnik<br>Am Feldrain 12<br>00000 Musterstadt<br><br>"
        "<a href=\"mailto:support@lorvant.invalid\">support@lorvant.invalid</a>",
        this);
    maker->setGeometry(84, 68, 260, 150);
    maker->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    maker->setOpenExternalLinks(true);
    VersionLabel = new QLabel("Version  2.00", this);
    VersionLabel->move(36, 232);
    OkButton = new QPushButton("OK", this);
    OkButton->setGeometry(276, 228, 75, 25);
    OkButton->setDefault(true);
    OkButton->setFocus();
    connect(OkButton, &QPushButton::clicked, this, &TInfoForm::OkButtonClick);
}

void TInfoForm::OkButtonClick() {
    done(1);
}
