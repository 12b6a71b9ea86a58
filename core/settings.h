#pragma once

#include <cstdint>
#include <string>

#include "core/wedge_keys.h"
#include "formats/data_file.h"
#include "formats/reception.h"

class ProfileFile;

// The transfer mode decides only whether the program starts minimised; both transfers work in
// either. The number is the one the settings file stores (DataFile/TransMode).
enum class TransferMode : int32_t { FileTransfer = 0, KeyboardWedge = 1 };

// A global hotkey as the settings file keeps it: its readable text, and the modifier flags
// and virtual-key code that the hotkey registration takes.
struct StoredHotkey {
    std::string text;
    int32_t modifiers = 0;
    int32_t key = 0;
    bool operator==(const StoredHotkey&) const = default;
};

// Every setting of the settings file "LVconfig.ini", typed. Texts are Windows-1252 bytes, as
// the file holds them. A value made with no arguments holds the defaults, the data file
// aside (the caller knows its folder).
struct Settings {
    // [DataFile]
    std::string dataFile;  // PathAndName
    SaveOption saveOption = SaveOption::Overwrite;
    bool counterActive = false;
    int32_t fileCounter = 0;
    std::string fieldSeparator = ";";  // FieldSeparator, between the columns of a row
    bool scannerRecordFirst = false;   // ScanRecToFile
    TransferMode transferMode = TransferMode::FileTransfer;
    // [ScannerOptions]
    int32_t port = 0;  // 0-15 for COM1-COM16
    DataFormat dataFormat = DataFormat::TimeAndDate;
    bool eraseAfterTransfer = false;  // TransDel
    bool synchroniseClock = false;    // SynchDateTime
    // [SendOptions], [ClrOptions]
    WedgeSeparator wedgeSeparator = WedgeSeparator::Comma;
    WedgeTerminator wedgeTerminator = WedgeTerminator::CR;
    StoredHotkey sendHotkey;
    StoredHotkey clearHotkey;
    // [SendOptions] LinePause, KeyPause: milliseconds the wedge waits after each row's
    // terminator and after each character, for targets that lose keys typed at full speed
    // (web forms with type-ahead, terminal programs); 0 types without a pause.
    int32_t linePauseMs = 0;
    int32_t keyPauseMs = 0;
    // [History] KeepDays: receptions older than this many days leave the history at the
    // start of a run; 0 keeps every one.
    int32_t historyKeepDays = 0;

    bool operator==(const Settings&) const = default;
};

// The longest pauses the wedge takes; a larger number in the file reads as these.
inline constexpr int32_t kMaxLinePauseMs = 2000;
inline constexpr int32_t kMaxKeyPauseMs = 100;

// The settings in `file`; a key that is missing or unreadable takes its value from
// `defaults`. A number that names no choice selects the default choice; a radio group's
// number beyond its last choice selects the last, as the window shows it.
Settings readSettingsFrom(const ProfileFile& file, const Settings& defaults);

// Writes the nineteen keys the program has always written into `file`'s lines (not yet to
// disk), in their order, each even when unchanged; the keys added since ([SendOptions]
// LinePause and KeyPause, [History] KeepDays) only when they are set or the file has them,
// so a file of a user who never set them stays as it was. False when one could not be
// stored.
bool writeSettingsTo(const Settings& settings, ProfileFile& file);
