// Identifying the connected scanner in the scanner list.
#include <QLineEdit>

#include "app/texts.h"
#include "scanner/scanner_library.h"
#include "settings/config_form.h"
#include "transfer/reception.h"
#include "ui/delimited_list_box.h"
#include "ui/message_box.h"
#include "ui/qt_text.h"

std::string TConfigForm::fieldSeparator() const {
    // An empty separator counts as ";", so the list, the record and the lines always have one.
    std::string separator = toCp1252(FieldSepEdit->text());
    return separator.empty() ? ";" : separator;
}

bool TConfigForm::IdentifyScanner() {
    uint8_t serial[kSerialNumberCapacity] = {};
    // A serial number that could not be read matches no row.
    identifiedSerial.clear();
    if (scannerLibrary().ReadSerialNumber(serial, kSerialNumberCapacity) != 0) return false;
    const std::string text = serialNumberText(serial);
    for (int row = 0; row < SerieListBox->rowCount(); ++row) {
        if (SerieListBox->column(row, 0) != text) continue;
        // The record names the scanner of this reception only, not every one identified
        // earlier in the run.
        scannerRecord = SerieListBox->column(row, 1) + fieldSeparator()[0] +
                        SerieListBox->column(row, 2) + "\r\n";
        identifiedSerial = text;
        return true;
    }
    return false;
}

bool TConfigForm::EraseIdentifiedScanner() {
    ScannerLibrary& scanner = scannerLibrary();
    // Ask the unit on the cable now, not the reception's cached answer.
    scanner.ResetScannerLink();
    uint8_t serial[kSerialNumberCapacity] = {};
    // Not cleared means received again next time: the user must know.
    const auto notAnswering = [] {
        showWarning(texts::kNotAnsweringNotErased, texts::kCommunicationError);
        return false;
    };
    if (scanner.ReadSerialNumber(serial, kSerialNumberCapacity) != 0) return notAnswering();
    if (identifiedSerial.empty() || serialNumberText(serial) != identifiedSerial) {
        showWarning(texts::kOtherScanner, texts::kOtherScannerCaption);
        return false;
    }
    return scanner.EraseStoredBarcodes() == 0 || notAnswering();
}
