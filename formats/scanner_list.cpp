#include "formats/scanner_list.h"

#include "formats/file_bytes.h"
#include "formats/text_lines.h"
#include "text/delimited_text.h"

namespace {
constexpr char kSeparator = ';';
}  // namespace

std::vector<std::string> parseScannerList(std::string_view bytes) {
    return splitLines(bytes.substr(0, bytes.find('\0')));
}

std::string serializeScannerList(const std::vector<std::string>& rows) {
    return joinLines(rows);
}

int scannerListCutLine(std::string_view bytes) {
    const size_t nul = bytes.find('\0');
    if (nul == std::string_view::npos) return 0;
    int line = 1;
    for (size_t i = 0; i < nul; ++i) {
        const bool crLf = bytes[i] == '\r' && i + 1 < nul && bytes[i + 1] == '\n';
        if (bytes[i] == '\n' || (bytes[i] == '\r' && !crLf)) ++line;
    }
    return line;
}

std::optional<ScannerListFile> readScannerListFile(const std::string& path, std::string* error,
                                                   bool* missing) {
    auto bytes = readFileBytes(path, missing);
    if (!bytes) {
        if (error) *error = "Cannot open file " + path;
        return std::nullopt;
    }
    ScannerListFile file{std::move(*bytes), {}, 0};
    file.rows = parseScannerList(file.bytes);
    file.cutAtLine = scannerListCutLine(file.bytes);
    return file;
}

std::optional<std::vector<std::string>> loadScannerList(const std::string& path, std::string* error,
                                                        bool* missing) {
    auto file = readScannerListFile(path, error, missing);
    if (!file) return std::nullopt;
    return std::move(file->rows);
}

bool saveScannerList(const std::string& path, const std::vector<std::string>& rows,
                     std::string* error) {
    if (writeFileAtomically(path, serializeScannerList(rows))) return true;
    if (error) *error = "Cannot create file " + path;
    return false;
}

std::string scannerRowField(std::string_view row, int n) {
    return delimitedField(row, kSeparator, n);
}

void setScannerRowField(std::string& row, int n, std::string_view text) {
    setDelimitedField(row, kSeparator, n, text);
}
