#include "windows/info_form.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "text/texts.h"
#include "ui/message_box.h"
#include "ui/picture_button.h"
#include "ui/window_placement.h"

namespace {
QLabel* label(const QString& text, QWidget* parent, int left, int top, int width, int height) {
    auto* shown = new QLabel(text, parent);
    shown->setGeometry(left, top, width, height);
    shown->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return shown;
}

// A label whose link opens the web page or mail program it names.
QLabel* link(const QString& target, const QString& text, QWidget* parent, int left, int top) {
    auto* shown = label(QStringLiteral("<a href=\"%1\">%2</a>").arg(target, text), parent, left,
                        top, 260, 16);
    shown->setTextFormat(Qt::RichText);
    shown->setOpenExternalLinks(true);
    shown->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    return shown;
}
}  // namespace

TInfoForm::TInfoForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(texts::kInfo);
    // A title bar without any buttons: no system menu, no close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(366, 262);
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);
    new WindowPlacement(this, size(), nullptr, WindowPlacement::ClientSize);

    Logo = new QLabel(this);
    Logo->setGeometry(36, 68, 33, 37);
    Logo->setPixmap(namedPicture("logo").pixmap(33, 37));
    QLabel* title = label(kApplicationTitle, this, 84, 68, 260, 22);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    title->setFont(big);
    label("Barcodes vom Taschenscanner zum PC", this, 84, 92, 260, 16);
    label("Q&Z Datentechnik", this, 84, 120, 260, 16);
    label("Am Feldrain 12, 00000 Musterstadt", this, 84, 136, 260, 16);
    label("Telefon 00000 / 00 00 00", this, 84, 152, 260, 16);
    link("https://lorvant.invalid/", "www.lorvant.invalid", this, 84, 176);
    link("mailto:support@lorvant.invalid", "support@lorvant.invalid", this, 84, 192);

    VersionLabel = new QLabel("Version  2.00", this);
    VersionLabel->move(36, 232);
    OkButton = new QPushButton(texts::kOk, this);
    OkButton->setGeometry(276, 228, 75, 25);
    OkButton->setDefault(true);
    OkButton->setFocus();
    connect(OkButton, &QPushButton::clicked, this, &TInfoForm::OkButtonClick);
}

void TInfoForm::OkButtonClick() {
    done(ModalOk);
}
