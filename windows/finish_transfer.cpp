#include "windows/finish_transfer.h"

#include "core/program_data.h"
#include "core/transfers.h"
#include "scanner/scanner_library.h"
#include "text/clock.h"
#include "text/texts.h"
#include "ui/message_box.h"

void finishTransfer(const ProgramData& data, const AfterTransfer& after,
                    const std::function<void(const char*)>& status) {
    ScannerLibrary& scanner = scannerLibrary();
    if (after.synchroniseClock) {
        if (status) status(texts::kStatusSettingClock);
        if (setScannerClock(scanner, data.settings.port, currentDateTime()) && after.clockWasLost)
            showMessageBox({texts::kClockNowRight, texts::kUnitHealthCaption,
                            QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok});
    }
    if (!after.erase) return;
    if (status) status(texts::kStatusErasing);
    switch (eraseReceivedScanner(scanner, data.identifiedSerial)) {
        case EraseOutcome::Erased:
            break;
        case EraseOutcome::NotAnswering:
            // Not cleared means received again next time: the user must know.
            showWarning(texts::kNotAnsweringNotErased, texts::kCommunicationError);
            break;
        case EraseOutcome::OtherScanner:
            showWarning(texts::kOtherScanner, texts::kOtherScannerCaption);
            break;
    }
}
