// The page "Einstellungen": the scanner parameters as check boxes, written to and read from
// the scanner, and kept in the parameter file.
#include <QFile>
#include <QListWidget>
#include <algorithm>
#include <vector>

#include "formats/parameter_file.h"
#include "platform/program_dir.h"
#include "scanner/scanner_library.h"
#include "text/texts.h"
#include "ui/busy_cursor.h"
#include "ui/message_box.h"
#include "windows/config_form.h"

namespace {
bool isChecked(QListWidget* list, int i) {
    return list->item(i)->checkState() == Qt::Checked;
}
void setChecked(QListWidget* list, int i, bool on) {
    list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

// What the scanner made of the parameters of one write or read, item by item.
struct ParameterOutcome {
    std::vector<int> refused;     // the unit answered, but would not
    std::vector<int> unanswered;  // nothing came back
    void note(int item, int32_t result) {
        if (result > 0) refused.push_back(item);
        if (result < 0) unanswered.push_back(item);
    }
    bool allFine() const { return refused.empty() && unanswered.empty(); }
    bool noConnection() const {
        return refused.empty() && unanswered.size() == size_t(kParameterItemCount);
    }
    std::vector<int> items() const {
        std::vector<int> all = refused;
        all.insert(all.end(), unanswered.begin(), unanswered.end());
        std::sort(all.begin(), all.end());
        return all;
    }
};

// Talks to the scanner on `portIndex` under the busy pointer, `perItem(scanner, i)` once
// for each of the sixteen items.
template <class PerItem>
ParameterOutcome exchangeParameters(int portIndex, PerItem perItem) {
    ParameterOutcome outcome;
    BusyCursor busy;
    ScannerLibrary& scanner = scannerLibrary();
    scanner.ResetScannerLink();
    scanner.OpenScannerPort(portIndex);
    for (int i = 0; i < kParameterItemCount; ++i) outcome.note(i, perItem(scanner, i));
    scanner.EndScannerExchange();
    return outcome;
}

void reportNoConnection() {
    showWarning(texts::kNoConnection, texts::kCommunicationError);
}

QString itemLines(QListWidget* list, const std::vector<int>& items) {
    QString lines;
    for (int i : items) lines += "    " + list->item(i)->text().trimmed() + "\n";
    return lines;
}
}  // namespace

void TConfigForm::openParameterFile() {
    parameterTable = builtInParameterTable();
    if (ParamCheckListBox->count() == 0) {
        for (const char* text : kParameterItemTexts) {
            auto* item = new QListWidgetItem(QString::fromUtf8(text), ParamCheckListBox);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    parameterFile = std::make_unique<ParameterFile>();
    // A file held by another running copy stays closed: saving then changes nothing on disk
    // and loading only resets the check boxes to the table.
    parameterFile->open(programDirectory() + "Param.dat");
}

void TConfigForm::showParameterTable() {
    for (int i = 0; i < kParameterItemCount; ++i)
        setChecked(ParamCheckListBox, i, parameterTable[i].value != 0);
}

void TConfigForm::LoadScannerButtonClick() {
    const ParameterOutcome outcome =
        exchangeParameters(portIndex(), [this](ScannerLibrary& scanner, int i) {
            const int32_t code = parameterTable[i].code;
            const uint8_t value = parameterValueByte(code, isChecked(ParamCheckListBox, i));
            return scanner.WriteParameter(code, &value, 1);
        });
    // The check list shows the user's choice; the scanner may hold something else now.
    if (outcome.noConnection()) {
        reportNoConnection();
        return;
    }
    if (outcome.allFine()) return;
    QString text = texts::kParametersRefused + itemLines(ParamCheckListBox, outcome.items());
    const auto lockedWhileStored = [this](int i) {
        const int32_t code = parameterTable[i].code;
        return code == kMaxLengthParameter || code == kTimeStampParameter;
    };
    if (std::any_of(outcome.refused.begin(), outcome.refused.end(), lockedWhileStored))
        text += texts::kParametersLockedWhileStored;
    if (!outcome.unanswered.empty()) text += texts::kParametersUnanswered;
    showWarning(text, texts::kParametersRefusedCaption);
}

void TConfigForm::ReadParaButtonClick() {
    const ParameterOutcome outcome =
        exchangeParameters(portIndex(), [this](ScannerLibrary& scanner, int i) {
            const int32_t code = parameterTable[i].code;
            uint8_t value = 0;
            const int32_t result = scanner.ReadParameter(code, &value, 1);
            // A parameter the scanner did not deliver keeps its check state.
            if (result == 0) setChecked(ParamCheckListBox, i, parameterChecked(code, value));
            return result;
        });
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
        scanner.OpenScannerPort(portIndex());
        scanner.ResetScannerLink();
        // The unit clears its barcodes along with its settings.
        stored = scanner.CountStoredBarcodes();
        // The port is not held while the user thinks it over.
        if (stored != 0) scanner.EndScannerExchange();
    }
    if (stored < 0) {
        reportNoConnection();
        return;
    }
    if (stored > 0) {
        if (!confirmFactoryReset(stored)) return;
        BusyCursor busy;
        scanner.ResetScannerLink();
        scanner.OpenScannerPort(portIndex());
    }
    int32_t result = 0;
    {
        BusyCursor busy;
        result = scanner.RestoreFactoryDefaults();
        scanner.EndScannerExchange();
    }
    if (result != 0) reportNoConnection();
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
    for (int i = 0; i < kParameterItemCount; ++i)
        parameterTable[i].value = isChecked(ParamCheckListBox, i) ? 1 : 0;
    if (parameterFile->writeImage(parameterTableImage(parameterTable))) return;
    // The choice is only in memory now; the user must not believe it is stored.
    const QString reason =
        parameterFile->isOpen() ? texts::kParameterFileNotWritten : texts::kParameterFileHeld;
    showWarning(QString(texts::kParameterFileNotSaved)
                    .arg(QFile::decodeName((programDirectory() + "Param.dat").c_str()), reason),
                texts::kSaveError);
}

void TConfigForm::OpenConfigButtonClick() {
    readParameterTableImage(parameterFile->readImage(kParameterFileSize), parameterTable);
    showParameterTable();
}
