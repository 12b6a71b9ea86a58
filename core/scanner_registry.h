#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/scanner_list.h"

// The registered scanners, as the scanner list file "LVserial.dat" holds them: one row each
// of serial number, ID and name, separated by ';'. A row is kept as stored, so a name with a
// ';' in it (which reads as a fourth field) goes back to the file unchanged.
class ScannerRegistry {
  public:
    // One registered scanner: the row and its fields.
    struct Entry {
        std::string row;
        std::string serial() const { return scannerRowField(row, 0); }
        std::string id() const { return scannerRowField(row, 1); }
        std::string name() const { return scannerRowField(row, 2); }
    };

    const std::vector<std::string>& rows() const { return rows_; }
    void setRows(std::vector<std::string> rows) { rows_ = std::move(rows); }
    int size() const { return int(rows_.size()); }
    Entry entry(int index) const { return {rows_.at(size_t(index))}; }

    // The row whose serial number is `serial`, or nothing.
    std::optional<Entry> find(std::string_view serial) const;
    // The scanner record of a scanner: its ID, the separator character, its name, CR LF.
    static std::string scannerRecord(const Entry& entry, char separator);

    // A new row holding the serial number alone; its index.
    int add(const std::string& serial);
    // Sets ID (stored in capitals, as the scanners' labels show them) and name of a row.
    void setIdAndName(int index, std::string_view id, std::string_view name);
    void remove(int index);

    // Reading the file at start and writing it at the end. A file cut short by a NUL byte is
    // written back only when its rows changed, and kept beside it as "<file>.bak" first; a
    // file that is there but cannot be read is never written over.
    struct LoadReport {
        std::string error;  // "Cannot open file <path>" when it could not be read
        bool missing = false;
        int cutAtLine = 0;  // the line where a NUL byte ended the reading, 0 when read whole
    };
    LoadReport load(const std::string& path);
    enum class SaveResult { Saved, Unchanged, NotReadAtStart, BackupFailed, Failed };
    SaveResult save(const std::string& path, std::string* error) const;
    static std::string backupPath(const std::string& path) { return path + ".bak"; }

  private:
    std::vector<std::string> rows_;
    bool unreadable_ = false;
    std::optional<ScannerListFile> damaged_;
};
