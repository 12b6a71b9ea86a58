// Clearing the scanner a reception came from.
#include "app/texts.h"
#include "core/transfers.h"
#include "scanner/scanner_library.h"
#include "settings/config_form.h"
#include "ui/message_box.h"

bool TConfigForm::EraseIdentifiedScanner() {
    switch (eraseReceivedScanner(scannerLibrary(), identifiedSerial)) {
        case EraseOutcome::Erased:
            return true;
        case EraseOutcome::NotAnswering:
            // Not cleared means received again next time: the user must know.
            showWarning(texts::kNotAnsweringNotErased, texts::kCommunicationError);
            return false;
        case EraseOutcome::OtherScanner:
            showWarning(texts::kOtherScanner, texts::kOtherScannerCaption);
            return false;
    }
    return false;
}
