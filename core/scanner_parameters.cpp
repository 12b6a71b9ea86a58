#include "core/scanner_parameters.h"

#include <algorithm>

#include "formats/parameter_file.h"
#include "scanner/scanner_library.h"

bool ParameterExchange::noConnection() const {
    return refused.empty() && unanswered.size() == size_t(kParameterItemCount);
}

std::vector<int> ParameterExchange::items() const {
    std::vector<int> all = refused;
    all.insert(all.end(), unanswered.begin(), unanswered.end());
    std::sort(all.begin(), all.end());
    return all;
}

bool ParameterExchange::refusedWhileStored(const ParameterTable& table) const {
    return std::any_of(refused.begin(), refused.end(), [&table](int i) {
        return table[i].code == kMaxLengthParameter || table[i].code == kTimeStampParameter;
    });
}

ScannerParameters::ScannerParameters() : table(builtInParameterTable()) {
    chooseFromTable();
}

ScannerParameters::~ScannerParameters() = default;

void ScannerParameters::chooseFromTable() {
    for (int i = 0; i < kParameterItemCount; ++i) chosen[i] = table[i].value != 0;
}

bool ScannerParameters::openFile(const std::string& path) {
    // A run starts from the built-in table; loading the file is the user's choice.
    table = builtInParameterTable();
    chooseFromTable();
    path_ = path;
    file_ = std::make_unique<ParameterFile>();
    return file_->open(path);
}

bool ScannerParameters::fileOpen() const {
    return file_ && file_->isOpen();
}

bool ScannerParameters::save() {
    for (int i = 0; i < kParameterItemCount; ++i) table[i].value = chosen[i] ? 1 : 0;
    return file_ && file_->writeImage(parameterTableImage(table));
}

void ScannerParameters::load() {
    // A file held by another running copy stays closed: loading then only resets the
    // choices to the table.
    if (file_) readParameterTableImage(file_->readImage(kParameterFileSize), table);
    chooseFromTable();
}

namespace {
// One exchange over the sixteen items: `perItem(i)` returns the unit's answer for item i
// (0 done, above 0 refused, below 0 nothing came back).
template <class PerItem>
ParameterExchange exchange(ScannerLibrary& scanner, int32_t port, PerItem perItem) {
    ParameterExchange outcome;
    scanner.ResetScannerLink();
    scanner.OpenScannerPort(port);
    for (int i = 0; i < kParameterItemCount; ++i) {
        const int32_t result = perItem(i);
        if (result > 0) outcome.refused.push_back(i);
        if (result < 0) outcome.unanswered.push_back(i);
    }
    scanner.EndScannerExchange();
    return outcome;
}
}  // namespace

ParameterExchange ScannerParameters::writeTo(ScannerLibrary& scanner, int32_t port) const {
    return exchange(scanner, port, [&](int i) {
        const int32_t code = table[i].code;
        const uint8_t value = parameterValueByte(code, chosen[i]);
        return scanner.WriteParameter(code, &value, 1);
    });
}

ParameterExchange ScannerParameters::readFrom(ScannerLibrary& scanner, int32_t port) {
    return exchange(scanner, port, [&](int i) {
        const int32_t code = table[i].code;
        uint8_t value = 0;
        const int32_t result = scanner.ReadParameter(code, &value, 1);
        // An item the scanner did not deliver keeps its choice.
        if (result == 0) chosen[i] = parameterChecked(code, value);
        return result;
    });
}

int32_t barcodesBeforeFactoryReset(ScannerLibrary& scanner, int32_t port) {
    scanner.OpenScannerPort(port);
    scanner.ResetScannerLink();
    const int32_t stored = scanner.CountStoredBarcodes();
    // The port is not held while the user thinks it over.
    if (stored != 0) scanner.EndScannerExchange();
    return stored;
}

bool restoreFactoryDefaults(ScannerLibrary& scanner, int32_t port, bool reopen) {
    if (reopen) {
        scanner.ResetScannerLink();
        scanner.OpenScannerPort(port);
    }
    const int32_t result = scanner.RestoreFactoryDefaults();
    scanner.EndScannerExchange();
    return result == 0;
}
