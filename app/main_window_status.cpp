// The main window status: whether a scanner is registered, and of which kind the first one
// is, shown in the main window's status bar and buttons.
#include <QApplication>
#include <QLabel>
#include <cmath>
#include <string>

#include "app/main_form.h"
#include "settings/config_form.h"
#include "ui/delimited_list_box.h"
#include "ui/picture_button.h"

namespace {
// The first five characters of the serial number read as a decimal number (digits with an
// optional exponent, "01e02" being 100). Hexadecimal letters make it no decimal number: the
// serial number is then non-zero, so it counts as above 1.
double leadingValue(const std::string& characters) {
    const size_t e = characters.find_first_of("eE");
    const std::string mantissa = characters.substr(0, e);
    const std::string exponent = e == std::string::npos ? "0" : characters.substr(e + 1);
    auto digitsOnly = [](const std::string& s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digitsOnly(mantissa) || !digitsOnly(exponent)) return 2;
    return std::stod(mantissa) * std::pow(10.0, std::stod(exponent));
}
}  // namespace

void TConfigForm::UpdateMainWindowStatus() {
    if (!MainForm) return;
    if (SerieListBox->rowCount() == 0) {
        MainForm->setRecvPicture(0);
        MainForm->ScanChangeButton->hide();
        MainForm->setStatusColor(QColor(255, 0, 0));
        MainForm->KeyStatusText->setText("   Scanner SN erfassen!");
        MainForm->RecvButton->setToolTip("Kein Scanner erfasst!");
        return;
    }
    const std::string characters = SerieListBox->column(0, 0).substr(0, 5);
    if (characters.empty()) return;
    MainForm->setStatusColor(QApplication::palette().color(QPalette::ToolTipBase));
    MainForm->RecvButton->setToolTip("Daten von Scanner lesen");
    if (leadingValue(characters) > 1) {
        MainForm->setRecvPicture(1);
        MainForm->ScanChangeButton->hide();
        MainForm->KeyStatusText->setText("   Konfiguriert für CS1504");
    } else {
        MainForm->setRecvPicture(2);
        MainForm->ScanChangeButton->show();
        MainForm->KeyStatusText->setText("   Vor Scannerwechsel Port schliessen!");
    }
}
