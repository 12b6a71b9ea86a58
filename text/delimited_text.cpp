#include "text/delimited_text.h"

namespace {
// Position just after the n-th delimiter, or npos when the row has fewer.
size_t fieldStart(std::string_view row, char delimiter, int n) {
    size_t pos = 0;
    for (int k = 0; k < n; ++k) {
        const size_t next = row.find(delimiter, pos);
        if (next == std::string_view::npos) return std::string_view::npos;
        pos = next + 1;
    }
    return pos;
}
}  // namespace

std::string delimitedField(std::string_view row, char delimiter, int n) {
    if (n < 0) return {};
    const size_t start = fieldStart(row, delimiter, n);
    if (start == std::string_view::npos) return {};
    const size_t end = row.find(delimiter, start);
    return std::string(row.substr(start, end == std::string_view::npos ? row.npos : end - start));
}

void setDelimitedField(std::string& row, char delimiter, int n, std::string_view text) {
    if (n < 0) return;
    size_t start = fieldStart(row, delimiter, n);
    while (start == std::string::npos) {
        row += delimiter;
        start = fieldStart(row, delimiter, n);
    }
    const size_t end = row.find(delimiter, start);
    row.replace(start, end == std::string::npos ? row.size() - start : end - start, text);
}

std::string joinFields(const std::vector<std::string>& fields, std::string_view separator) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += separator;
        line += fields[i];
    }
    return line;
}
