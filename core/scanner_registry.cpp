#include "core/scanner_registry.h"

#include <algorithm>

#include "formats/file_bytes.h"
#include "text/cp1252.h"

std::optional<ScannerRegistry::Entry> ScannerRegistry::find(std::string_view serial) const {
    const auto found = std::find_if(rows_.begin(), rows_.end(), [serial](const std::string& row) {
        return scannerRowField(row, 0) == serial;
    });
    if (found == rows_.end()) return std::nullopt;
    return Entry{*found};
}

std::string ScannerRegistry::scannerRecord(const Entry& entry, char separator) {
    return entry.id() + separator + entry.name() + "\r\n";
}

int ScannerRegistry::add(const std::string& serial) {
    rows_.push_back(serial);
    return size() - 1;
}

void ScannerRegistry::setIdAndName(int index, std::string_view id, std::string_view name) {
    std::string& row = rows_.at(size_t(index));
    setScannerRowField(row, 1, cp1252::toUpper(id));
    setScannerRowField(row, 2, name);
}

void ScannerRegistry::remove(int index) {
    if (index >= 0 && index < size()) rows_.erase(rows_.begin() + index);
}

ScannerRegistry::LoadReport ScannerRegistry::load(const std::string& path) {
    LoadReport report;
    auto file = readScannerListFile(path, &report.error, &report.missing);
    unreadable_ = !file && !report.missing;
    damaged_.reset();
    rows_.clear();
    if (!file) return report;
    report.cutAtLine = file->cutAtLine;
    rows_ = file->rows;
    if (file->cutAtLine > 0) damaged_ = std::move(file);
    return report;
}

ScannerRegistry::SaveResult ScannerRegistry::save(const std::string& path,
                                                  std::string* error) const {
    if (unreadable_) return SaveResult::NotReadAtStart;
    if (damaged_) {
        // Unchanged, the file keeps the rows after its NUL byte for whoever can mend it.
        if (rows_ == damaged_->rows) return SaveResult::Unchanged;
        if (!writeFileAtomically(backupPath(path), damaged_->bytes))
            return SaveResult::BackupFailed;
    }
    return saveScannerList(path, rows_, error) ? SaveResult::Saved : SaveResult::Failed;
}
