// Saving the received list to the data file, and closing the receive window.
#include <QFile>
#include <QPushButton>

#include "core/transfers.h"
#include "text/texts.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "windows/finish_transfer.h"
#include "windows/receive_form.h"

namespace {
// An empty list would leave an overwritten file without its data (the scanner record at
// most): that takes the user's Yes.
bool userLetsEmptyListOverwrite(const std::string& path) {
    const auto answer =
        showMessageBox({QString(texts::kEmptyListOverwrites).arg(QFile::decodeName(path.c_str())),
                        texts::kEmptyListCaption, QMessageBox::Warning,
                        QMessageBox::Yes | QMessageBox::No, QMessageBox::No});
    return answer == QMessageBox::Yes;
}
}  // namespace

void TReceiveForm::ListeSpeichernButtonClick() {
    const Settings& settings = data_.settings;
    // A No changes nothing, the counter included.
    const std::string next =
        dataFilePath(settings, settings.counterActive ? data_.nextFileCounter() : 0);
    if (emptyReceptionOverwritesData(reception_, settings, next) &&
        !userLetsEmptyListOverwrite(next))
        return;
    // The counter advances with every save, whatever its outcome, so a failed save never
    // makes two files share a number.
    const std::string path =
        dataFilePath(settings, settings.counterActive ? data_.takeFileCounter() : 0);
    std::string reason;
    if (!saveReception(reception_, settings, path, reason)) {
        // The list stays unsaved and can be saved again once the cause is mended.
        showWarning(QString(texts::kDataNotSaved)
                        .arg(QFile::decodeName(path.c_str()), QString::fromUtf8(reason)),
                    texts::kSaveError);
        return;
    }
    setStatusText(texts::kStatusSaved);
    ListeSpeichernButton->setEnabled(false);
    ListSaved = true;
    noteDelivery(HistoryDelivery::Saved, path);
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
    const AfterTransfer after = afterTransfer(data_.settings, reception_, ListSaved);
    clearList();
    ListeSpeichernButton->setEnabled(false);
    finishTransfer(data_, after, [this](const char* text) { setStatusText(text); });
}
