// The page "Einstellungen": the scanner parameters as check boxes, written to and read from
// the scanner, and kept in the parameter file.
#include <QFile>
#include <QListWidget>

#include "core/scanner_parameters.h"
#include "scanner/scanner_library.h"
#include "text/texts.h"
#include "ui/busy_cursor.h"
#include "ui/message_box.h"
#include "windows/config_form.h"

namespace {
void reportNoConnection() {
    showWarning(texts::kNoConnection, texts::kCommunicationError);
}

QString itemLines(QListWidget* list, const std::vector<int>& items) {
    QString lines;
    for (int i : items) lines += "    " + list->item(i)->text().trimmed() + "\n";
    return lines;
}
}  // namespace

void TConfigForm::createParameterItems() {
    for (const char* text : kParameterItemTexts) {
        auto* item = new QListWidgetItem(QString::fromUtf8(text), ParamCheckListBox);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    // A click on a check box is the user's choice at once.
    connect(ParamCheckListBox, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int i = ParamCheckListBox->row(item);
        if (i >= 0 && i < kParameterItemCount)
            data_.parameters.chosen[i] = item->checkState() == Qt::Checked;
    });
}

void TConfigForm::showParameterTable() {
    for (int i = 0; i < kParameterItemCount; ++i)
        ParamCheckListBox->item(i)->setCheckState(data_.parameters.chosen[i] ? Qt::Checked
                                                                             : Qt::Unchecked);
}

void TConfigForm::LoadScannerButtonClick() {
    ParameterExchange outcome;
    {
        BusyCursor busy;
        outcome = data_.parameters.writeTo(scannerLibrary(), portIndex());
    }
    // The check list shows the user's choice; the scanner may hold something else now.
    if (outcome.noConnection()) {
        reportNoConnection();
        return;
    }
    if (outcome.allFine()) return;
    QString text = texts::kParametersRefused + itemLines(ParamCheckListBox, outcome.items());
    if (outcome.refusedWhileStored(data_.parameters.table))
        text += texts::kParametersLockedWhileStored;
    if (!outcome.unanswered.empty()) text += texts::kParametersUnanswered;
    showWarning(text, texts::kParametersRefusedCaption);
}

void TConfigForm::ReadParaButtonClick() {
    ParameterExchange outcome;
    {
        BusyCursor busy;
        outcome = data_.parameters.readFrom(scannerLibrary(), portIndex());
    }
    showParameterTable();
    if (outcome.noConnection()) {
        reportNoConnection();
        return;
    }
    if (outcome.allFine()) return;
    showWarning(texts::kParametersNotRead + itemLines(ParamCheckListBox, outcome.items()),
                texts::kParametersNotReadCaption);
}

void TConfigForm::FactoryDefaultButtonClick() {
    ScannerLibrary& scanner = scannerLibrary();
    int32_t stored = 0;
    {
        BusyCursor busy;
        stored = barcodesBeforeFactoryReset(scanner, portIndex());
    }
    if (stored < 0) {
        reportNoConnection();
        return;
    }
    if (stored > 0 && !confirmFactoryReset(stored)) return;
    bool restored = false;
    {
        BusyCursor busy;
        restored = restoreFactoryDefaults(scanner, portIndex(), stored > 0);
    }
    if (!restored) reportNoConnection();
}

bool TConfigForm::confirmFactoryReset(int stored) {
    const QString barcodes = stored == 1 ? QString(texts::kOneBarcodeStored)
                                         : QString(texts::kBarcodesStored).arg(stored);
    return showMessageBox({QString(texts::kFactoryResetQuestion).arg(barcodes),
                           texts::kFactoryResetCaption, QMessageBox::Warning,
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No}) ==
           QMessageBox::Yes;
}

void TConfigForm::SaveConfigButtonClick() {
    if (data_.parameters.save()) return;
    // The choice is only in memory now; the user must not believe it is stored.
    const QString reason =
        data_.parameters.fileOpen() ? texts::kParameterFileNotWritten : texts::kParameterFileHeld;
    showWarning(QString(texts::kParameterFileNotSaved)
                    .arg(QFile::decodeName(data_.parametersPath().c_str()), reason),
                texts::kSaveError);
}

void TConfigForm::OpenConfigButtonClick() {
    data_.parameters.load();
    showParameterTable();
}
