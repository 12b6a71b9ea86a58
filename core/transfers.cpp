#include "core/transfers.h"

#include <chrono>
#include <thread>

#include "core/keyboard_output.h"
#include "core/wedge_keys.h"
#include "formats/data_file.h"
#include "formats/reception.h"
#include "scanner/clock_buffer.h"
#include "scanner/scanner_library.h"
#include "text/cp1252.h"

std::string dataFilePath(const Settings& settings, int32_t counter) {
    const std::string name = cp1252::toFileSystemName(settings.dataFile);
    return settings.counterActive ? counterFileName(name, counter) : name;
}

bool emptyReceptionOverwritesData(const Reception& reception, const Settings& settings,
                                  const std::string& path) {
    return reception.rows.empty() && settings.saveOption != SaveOption::Append &&
           dataFileHoldsData(path);
}

std::string receptionBytes(const Reception& reception, const Settings& settings) {
    std::vector<std::string> lines;
    lines.reserve(reception.rows.size());
    for (const ReceivedRow& row : reception.rows) lines.push_back(row.line);
    return dataFileBlock(reception.scannerRecord, settings.scannerRecordFirst, lines);
}

bool saveReception(const Reception& reception, const Settings& settings, const std::string& path,
                   std::string& reason) {
    return writeDataFile(path, receptionBytes(reception, settings),
                         settings.saveOption == SaveOption::Append, reason);
}

bool typeReception(const Reception& reception, const Settings& settings, KeyboardOutput& keyboard) {
    if (reception.rows.empty()) return true;
    const char separator = wedgeSeparatorCharacter(settings.wedgeSeparator);
    const int terminator = terminatorVirtualKey(settings.wedgeTerminator);
    std::vector<std::string> lines;
    std::string characters;
    for (const ReceivedRow& row : reception.rows) {
        lines.push_back(buildWedgeLine(row.fields, separator));
        characters += lines.back();
    }
    keyboard.beginTransfer(characters, {terminator});
    // A pace for slow targets: each pause is taken in front of the next key, so none follows
    // the last one, and only once the keys before it have gone out. The event loop does not
    // run meanwhile, as during the whole transfer.
    const std::chrono::milliseconds keyPause(settings.keyPauseMs);
    const std::chrono::milliseconds linePause(settings.linePauseMs);
    std::chrono::milliseconds pause(0);
    const auto beforeKey = [&keyboard, &pause] {
        if (pause.count() > 0 && keyboard.flush()) std::this_thread::sleep_for(pause);
        pause = {};
    };
    for (const std::string& line : lines) {
        for (const char c : line) {
            beforeKey();
            keyboard.typeCharacter(c);
            pause = keyPause;
        }
        beforeKey();
        keyboard.pressVirtualKey(terminator);
        pause = linePause;
    }
    return keyboard.endTransfer();
}

AfterTransfer afterTransfer(const Settings& settings, const Reception& reception, bool delivered) {
    return {
        settings.synchroniseClock,
        settings.eraseAfterTransfer && reception.complete && (delivered || reception.count == 0),
        reception.health.clockLost};
}

bool setScannerClock(ScannerLibrary& scanner, int32_t port, const LocalDateTime& time) {
    scanner.ResetScannerLink();
    if (scanner.OpenScannerPort(port) != 0) {
        scanner.EndScannerExchange();
        return false;
    }
    const auto buffer = clockBuffer(time);
    const bool written = scanner.WriteScannerClock(buffer.data()) == 0;
    scanner.EndScannerExchange();
    return written;
}

EraseOutcome eraseReceivedScanner(ScannerLibrary& scanner, const std::string& serial) {
    // Ask the unit on the cable now, not the reception's cached answer.
    scanner.ResetScannerLink();
    uint8_t bytes[kSerialNumberCapacity] = {};
    if (scanner.ReadSerialNumber(bytes, kSerialNumberCapacity) != 0)
        return EraseOutcome::NotAnswering;
    if (serial.empty() || serialNumberText(bytes) != serial) return EraseOutcome::OtherScanner;
    return scanner.EraseStoredBarcodes() == 0 ? EraseOutcome::Erased : EraseOutcome::NotAnswering;
}
