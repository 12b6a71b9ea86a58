// The page "Serie Nummern": registering scanners by their serial number, with an ID and a
// name each.
#include <QLabel>
#include <QLineEdit>

#include "app/texts.h"
#include "scanner/scanner_library.h"
#include "settings/config_form.h"
#include "settings/scanner_list.h"
#include "text/cp1252.h"
#include "transfer/reception.h"
#include "ui/busy_cursor.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

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
    SerieListBox->addRow(serialNumberText(serial));
    SerieListBox->selectRow(SerieListBox->rowCount() - 1);
    SerieListBoxSelect();
    UpdateMainWindowStatus();
}

void TConfigForm::SerieListBoxSelect() {
    const int row = SerieListBox->selectedRow();
    if (row < 0) return;
    PersNumEdit->setText(fromCp1252(SerieListBox->column(row, 1)));
    PersNameEdit->setText(fromCp1252(SerieListBox->column(row, 2)));
    ScannerLabel->setText(fromCp1252(SerieListBox->column(row, 0)));
}

void TConfigForm::PersNumEditExit() {
    // Nothing to write into when no row is selected.
    const int index = SerieListBox->selectedRow();
    if (index < 0 || index >= SerieListBox->rowCount()) return;
    std::string row = SerieListBox->row(index);
    setScannerRowField(row, 1, cp1252::toUpper(toCp1252(PersNumEdit->text())));
    setScannerRowField(row, 2, toCp1252(PersNameEdit->text()));
    SerieListBox->setRow(index, row);
}

void TConfigForm::DeleteButtonClick() {
    const auto answer =
        showMessageBox({texts::kDeleteEntryQuestion, texts::kDeleteEntryCaption,
                        QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No});
    if (answer != QMessageBox::Yes) return;
    SerieListBox->removeRow(SerieListBox->selectedRow());
    PersNumEdit->clear();
    PersNameEdit->clear();
    ScannerLabel->clear();
    UpdateMainWindowStatus();
}
