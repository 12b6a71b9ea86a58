#include "settings/scanner_list.h"

#include <algorithm>

#include "settings/file_bytes.h"
#include "settings/text_lines.h"

namespace {

constexpr char kSeparator = ';';

// Start of field n, or npos when the row has fewer than n separators.
size_t fieldStart(std::string_view row, int n) {
    size_t start = 0;
    for (int k = 0; k < n; ++k) {
        const size_t separator = row.find(kSeparator, start);
        if (separator == std::string_view::npos) return std::string_view::npos;
        start = separator + 1;
    }
    return start;
}

size_t fieldEnd(std::string_view row, size_t start) {
    return std::min(row.find(kSeparator, start), row.size());
}

}  // namespace

std::vector<std::string> parseScannerList(std::string_view bytes) {
    return splitLines(bytes.substr(0, bytes.find('\0')));
}

std::string serializeScannerList(const std::vector<std::string>& rows) {
    return joinLines(rows);
}

std::optional<std::vector<std::string>> loadScannerList(const std::string& path,
                                                        std::string* error) {
    const auto bytes = readFileBytes(path);
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
    if (n < 0) return {};
    const size_t start = fieldStart(row, n);
    if (start == std::string_view::npos) return {};
    return std::string(row.substr(start, fieldEnd(row, start) - start));
}

void setScannerRowField(std::string& row, int n, std::string_view text) {
    if (n < 0) return;
    const auto separators = static_cast<int>(std::count(row.begin(), row.end(), kSeparator));
    if (separators < n) row.append(static_cast<size_t>(n - separators), kSeparator);
    const size_t start = fieldStart(row, n);
    row.replace(start, fieldEnd(row, start) - start, text);
}
