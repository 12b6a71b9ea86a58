#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/scanner_registry.h"
#include "core/settings.h"
#include "scanner/scanner_library.h"
#include "text/local_date_time.h"

class ScannerLibrary;

// One barcode as read: its columns (barcode, then time and/or date as the data format asks)
// and the line they make, joined by the field separator; and what else the unit stored with
// it: its code type and, from a unit that keeps them, its time stamp.
struct ReceivedRow {
    std::vector<std::string> fields;
    std::string line;
    int codeType = 0;
    bool stamped = false;
    LocalDateTime stamp;
};

// Why a reception did not read every stored barcode into its rows.
enum class ReceptionProblem {
    None,
    NoConnection,      // the scanner did not answer
    UnknownScanner,    // its serial number is not registered (or could not be read)
    SettingsNotRead,   // its time stamp setting could not be read, so no packet splits
    InvalidTimeStamp,  // a time stamp did not read as a date and time; reading stopped
    BarcodesUnread,    // packets that could not be listed; the others are in the rows
    Cancelled,         // the user ended the reading
    Stalled,           // the line gave no usable answer for too long
};

// How long a reading may go without an answer or new upload bytes before it ends itself.
inline constexpr std::chrono::milliseconds kReadingStallLimit{15000};

// What one reading of the scanner gave.
struct Reception {
    std::vector<ReceivedRow> rows;
    // The format of the rows: the one asked for, or barcode only from a scanner that keeps
    // no time stamps. Until the first row, the one asked for.
    DataFormat dataFormat = DataFormat::TimeAndDate;
    // The rows may be saved: the scanner answered and is registered (rows up to an invalid
    // time stamp count too; they are not complete).
    bool listed = false;
    // Every barcode the scanner reported is in the rows: only then may it be cleared.
    bool complete = false;
    // The barcodes the scanner reported; 0 until the rows were read to the end.
    int32_t count = 0;
    ReceptionProblem problem = ReceptionProblem::None;
    // InvalidTimeStamp: which barcode (from 1) and its stamp text; BarcodesUnread: how many.
    int problemBarcode = 0;
    std::string problemText;
    // The scanner identified (its serial number text, empty when none) and its record:
    // ID, the separator's first character, name, CR LF.
    std::string serial;
    std::string scannerRecord;
    // What the unit said of itself (before the upload).
    UnitHealth health;
};

// Reads every stored barcode of the scanner on the open port into rows, with the settings'
// data format and field separator (an empty separator counts as ";"), identifying the unit
// in `registry` first. The scanner library reports the upload's progress to its handler.
// A reading the user cancels (ScannerLibrary::CancelReading) or that stalls ends with the
// unit put to sleep, nothing listed and nothing complete.
Reception receiveBarcodes(ScannerLibrary& scanner, const Settings& settings,
                          const ScannerRegistry& registry);

// The field separator a reception uses: an empty one counts as ";", so the rows, the record
// and the list always have one.
std::string effectiveFieldSeparator(const Settings& settings);
