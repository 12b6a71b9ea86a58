#pragma once

#include <cstdint>
#include <string>

#include "core/barcode_reception.h"
#include "core/settings.h"
#include "text/local_date_time.h"

class KeyboardOutput;
class ScannerLibrary;

// Delivering a reception: to the data file or as keystrokes, and what may happen to the
// scanner afterwards.

// The file a save writes to: the configured data file (a path in the file system's
// encoding), with `counter` put before its extension when the counter is on.
std::string dataFilePath(const Settings& settings, int32_t counter);

// Saving `reception` would overwrite a file that holds data with no barcode at all.
bool emptyReceptionOverwritesData(const Reception& reception, const Settings& settings,
                                  const std::string& path);

// The bytes a save writes: the scanner record (when chosen) and every row, each ended by
// CR LF, in Windows-1252.
std::string receptionBytes(const Reception& reception, const Settings& settings);

// Writes the scanner record (when chosen) and every row, each ended by CR LF, to `path`,
// overwriting or appending as the settings say. On false, `reason` says why in German
// (UTF-8) and the file holds what it held before.
bool saveReception(const Reception& reception, const Settings& settings, const std::string& path,
                   std::string& reason);

// Types every row through `keyboard`: the barcode, time and date joined by the wedge's
// separator, then the terminator key; waits the settings' pause after each character and
// after each terminator (not after the last key), without running the event loop. False
// when not every key went out.
bool typeReception(const Reception& reception, const Settings& settings, KeyboardOutput& keyboard);

// What follows a transfer: the clock set as configured, and the scanner cleared only when
// it was configured and every barcode of a complete reception was saved or typed (or it
// held none).
struct AfterTransfer {
    bool synchroniseClock = false;
    bool erase = false;
    // The unit's clock had lost power: once set, the user hears that it runs right again.
    bool clockWasLost = false;
};
AfterTransfer afterTransfer(const Settings& settings, const Reception& reception, bool delivered);

// Sets the clock of the scanner on port `port` to `time`; false when it did not take it.
bool setScannerClock(ScannerLibrary& scanner, int32_t port, const LocalDateTime& time);

// Clears the scanner, but only the unit the reception came from (`serial`): a unit put on
// the cable since holds barcodes nobody has received.
enum class EraseOutcome { Erased, NotAnswering, OtherScanner };
EraseOutcome eraseReceivedScanner(ScannerLibrary& scanner, const std::string& serial);
