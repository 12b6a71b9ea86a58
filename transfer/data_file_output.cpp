// Saving the received list to the data file, and closing the receive window.
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "app/texts.h"
#include "scanner/clock_dialog.h"
#include "scanner/scanner_library.h"
#include "settings/config_form.h"
#include "transfer/data_file.h"
#include "transfer/receive_form.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"

namespace {
// An empty list would leave an overwritten file without its data (the scanner record at
// most): that takes the user's Yes.
bool mayOverwriteWithEmptyList(const std::string& path) {
    if (!dataFileHoldsData(path)) return true;
    const auto answer =
        showMessageBox({QString(texts::kEmptyListOverwrites).arg(QFile::decodeName(path.c_str())),
                        texts::kEmptyListCaption, QMessageBox::Warning,
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::No});
    return answer == QMessageBox::Yes;
}
}  // namespace

void TReceiveForm::ListeSpeichernButtonClick() {
    const std::string name = QFile::encodeName(ConfigForm->FileNamePathEdit->text()).toStdString();
    const bool counted = ConfigForm->FileCountCheckBox->isChecked();
    const bool append = ConfigForm->saveOption() == SaveOption::Append;
    // A No changes nothing, the counter included.
    if (!append && ListBoxAll->rowCount() == 0 &&
        !mayOverwriteWithEmptyList(counted ? counterFileName(name, ConfigForm->nextFileCounter())
                                           : name))
        return;
    // The counter advances with every save, whatever its outcome, so a failed save never
    // makes two files share a number.
    const std::string path = counted ? counterFileName(name, ConfigForm->takeFileCounter()) : name;
    const std::string block = dataFileBlock(
        ConfigForm->scannerRecord, ConfigForm->ScanRecToFileBox->isChecked(), ListBoxAll->rows());
    std::string reason;
    if (!writeDataFile(path, block, append, reason)) {
        // The list stays unsaved and can be saved again once the cause is mended.
        showWarning(QString(texts::kDataNotSaved)
                        .arg(QFile::decodeName(path.c_str()), QString::fromUtf8(reason)),
                    texts::kSaveError);
        return;
    }
    setStatusText(texts::kStatusSaved);
    ListeSpeichernButton->setEnabled(false);
    ListSaved = true;
}

void TReceiveForm::FormClose(bool& keepOpen) {
    if (!ListSaved && ListBoxAll->rowCount() > 0) {
        const auto answer =
            showMessageBox({texts::kCloseAnyway, texts::kListNotSaved, QMessageBox::Warning,
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No});
        if (answer != QMessageBox::Yes) {
            keepOpen = true;
            return;
        }
    }
    // Barcodes may leave the scanner only when this reception read them all and saved
    // them, or when the scanner held none.
    const bool mayErase = ReceptionComplete && (ListSaved || ReceivedCount == 0);
    ListBoxAll->clearRows();
    ListeSpeichernButton->setEnabled(false);
    if (ConfigForm->SynchDateTimeCheckBox->isChecked()) {
        setStatusText(texts::kStatusSettingClock);
        dlgTime->ResetToNow();
        ConfigForm->SetScannerClock();
    }
    if (ConfigForm->TransDelCheckBox->isChecked() && mayErase) {
        setStatusText(texts::kStatusErasing);
        ConfigForm->EraseIdentifiedScanner();
    }
}
