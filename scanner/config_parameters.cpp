// The page "Einstellungen": the scanner parameters as check boxes, written to and read from
// the scanner, and kept in the parameter file.
#include <QApplication>
#include <QComboBox>
#include <QListWidget>

#include "platform/program_dir.h"
#include "scanner/parameter_file.h"
#include "scanner/scanner_library.h"
#include "settings/config_form.h"

namespace {
// The busy pointer while the scanner is talked to.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

bool isChecked(QListWidget* list, int i) {
    return list->item(i)->checkState() == Qt::Checked;
}
void setChecked(QListWidget* list, int i, bool on) {
    list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
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
    BusyCursor busy;
    ScannerLibrary& scanner = scannerLibrary();
    scanner.ResetScannerLink();
    scanner.OpenScannerPort(cbPortID->currentIndex());
    for (int i = 0; i < kParameterItemCount; ++i) {
        const int32_t code = parameterTable[i].code;
        const uint8_t value = parameterValueByte(code, isChecked(ParamCheckListBox, i));
        scanner.WriteParameter(code, &value, 1);
    }
    scanner.EndScannerExchange();
}

void TConfigForm::ReadParaButtonClick() {
    BusyCursor busy;
    ScannerLibrary& scanner = scannerLibrary();
    scanner.ResetScannerLink();
    scanner.OpenScannerPort(cbPortID->currentIndex());
    for (int i = 0; i < kParameterItemCount; ++i) {
        const int32_t code = parameterTable[i].code;
        uint8_t value = 0;
        // A parameter the scanner did not deliver keeps its check state.
        if (scanner.ReadParameter(code, &value, 1) != 0) continue;
        setChecked(ParamCheckListBox, i, parameterChecked(code, value));
    }
    scanner.EndScannerExchange();
}

void TConfigForm::FactoryDefaultButtonClick() {
    BusyCursor busy;
    ScannerLibrary& scanner = scannerLibrary();
    scanner.OpenScannerPort(cbPortID->currentIndex());
    scanner.ResetScannerLink();
    scanner.RestoreFactoryDefaults();
    scanner.EndScannerExchange();
}

void TConfigForm::SaveConfigButtonClick() {
    for (int i = 0; i < kParameterItemCount; ++i)
        parameterTable[i].value = isChecked(ParamCheckListBox, i) ? 1 : 0;
    parameterFile->writeImage(parameterTableImage(parameterTable));
}

void TConfigForm::OpenConfigButtonClick() {
    readParameterTableImage(parameterFile->readImage(kParameterFileSize), parameterTable);
    showParameterTable();
}
