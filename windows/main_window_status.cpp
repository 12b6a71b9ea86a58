// The main window status: whether a scanner is registered, and of which kind the first one
// is, shown in the main window's status bar and buttons.
#include <QLabel>
#include <QLocale>

#include "core/main_window_state.h"
#include "core/scanner_registry.h"
#include "text/texts.h"
#include "ui/picture_button.h"
#include "windows/main_form.h"

namespace {
char decimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point[0].unicode() < 128 ? static_cast<char>(point[0].unicode())
                                                         : '.';
}

void showNoScanner(TMainForm& form) {
    form.setRecvPicture(TMainForm::RecvPicture::Warning);
    form.ScanChangeButton->hide();
    form.setStatusColor(QColor(255, 0, 0));
    form.KeyStatusText->setText(texts::kStatusNoScanner);
    form.RecvButton->setToolTip(texts::kHintNoScanner);
}

void showScanner(TMainForm& form, bool changePort) {
    form.setStatusColor(tooltipColor());
    form.RecvButton->setToolTip(texts::kHintReadScanner);
    form.setRecvPicture(changePort ? TMainForm::RecvPicture::Opticon
                                   : TMainForm::RecvPicture::CS1504);
    form.ScanChangeButton->setVisible(changePort);
    form.KeyStatusText->setText(changePort ? texts::kStatusChangePort : texts::kStatusCS1504);
}
}  // namespace

void showScannerStatus(TMainForm& main, const ScannerRegistry& scanners) {
    const bool hasRows = scanners.size() > 0;
    const std::string first = hasRows ? scanners.entry(0).serial() : std::string();
    switch (mainWindowStateFor(hasRows, first, decimalSeparator())) {
        case MainWindowState::NoScanner:
            showNoScanner(main);
            break;
        case MainWindowState::CS1504:
            showScanner(main, false);
            break;
        case MainWindowState::ChangePort:
            showScanner(main, true);
            break;
        case MainWindowState::Unchanged:
            break;
    }
}
