// The page "Serie Nummern": registering scanners by their serial number, with an ID and a
// name each.
#include <QLabel>
#include <QLineEdit>

#include "formats/reception.h"
#include "scanner/scanner_library.h"
#include "text/texts.h"
#include "ui/busy_cursor.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"
#include "windows/config_form.h"

void TConfigForm::Scannereinlesen1Click() {
    uint8_t serial[kSerialNumberCapacity] = {};
    // A serial number that could not be read would make a row of garbage: it counts as no
    // connection, like a unit that does not answer at all.
    const auto readSerialNumber = [this, &serial] {
        // A unit that does not answer keeps the program busy for about two seconds.
        BusyCursor busy;
        ScannerLibrary& scanner = scannerLibrary();
        scanner.OpenScannerPort(portIndex());
        return scanner.CountStoredBarcodes() >= 0 &&
               scanner.ReadSerialNumber(serial, kSerialNumberCapacity) == 0;
    };
    if (!readSerialNumber()) {
        showWarning(texts::kNoConnection, texts::kCommunicationError);
        return;
    }
    const int added = data_.scanners.add(serialNumberText(serial));
    showScanners();
    SerieListBox->selectRow(added);
    SerieListBoxSelect();
    UpdateMainWindowStatus();
}

void TConfigForm::SerieListBoxSelect() {
    const int row = SerieListBox->selectedRow();
    if (row < 0 || row >= data_.scanners.size()) return;
    const ScannerRegistry::Entry entry = data_.scanners.entry(row);
    PersNumEdit->setText(fromCp1252(entry.id()));
    PersNameEdit->setText(fromCp1252(entry.name()));
    ScannerLabel->setText(fromCp1252(entry.serial()));
}

void TConfigForm::PersNumEditExit() {
    // Nothing to write into when no row is selected.
    const int index = SerieListBox->selectedRow();
    if (index < 0 || index >= data_.scanners.size()) return;
    data_.scanners.setIdAndName(index, toCp1252(PersNumEdit->text()),
                                toCp1252(PersNameEdit->text()));
    SerieListBox->setRow(index, data_.scanners.entry(index).row);
}

void TConfigForm::DeleteButtonClick() {
    const auto answer =
        showMessageBox({texts::kDeleteEntryQuestion, texts::kDeleteEntryCaption,
                        QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No});
    if (answer != QMessageBox::Yes) return;
    data_.scanners.remove(SerieListBox->selectedRow());
    showScanners();
    PersNumEdit->clear();
    PersNameEdit->clear();
    ScannerLabel->clear();
    UpdateMainWindowStatus();
}
