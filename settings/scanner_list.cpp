#include "settings/scanner_list.h"

#include "settings/file_bytes.h"
#include "settings/text_lines.h"
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

std::optional<std::vector<std::string>> loadScannerList(const std::string& path, std::string* error,
                                                        bool* missing) {
    const auto bytes = readFileBytes(path, missing);
    if (!bytes) {
        if (error) *error = "Cannot open file " + path;
        return std::nullopt;
    }
    return parseScannerList(*bytes);
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
