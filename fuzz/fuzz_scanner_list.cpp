// The scanner list file "LVserial.dat" and its row fields on any bytes: rows read as the
// line rules say, a saved list reads back as the same rows, and each field reads and
// writes as the separator rules say, leaving the other fields of the row alone.
#include <fstream>
#include <vector>

#include "formats/scanner_list.h"
#include "fuzz/fuzz_support.h"

namespace {

// The file as the program writes it back: up to a NUL byte, every line ending made CR LF,
// a last line without one given one.
std::string normalised(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text +=
            bytes[i] == '\r' || bytes[i] == '\n' ? std::string("\r\n") : std::string(1, bytes[i]);
    }
    if (!text.empty() && !text.ends_with("\r\n")) text += "\r\n";
    return text;
}

std::vector<std::string> fieldsOf(std::string_view row) {
    std::vector<std::string> fields(1);
    for (char c : row) {
        if (c == ';')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

std::string field(std::string_view row, int n) {
    const auto fields = fieldsOf(row);
    return n >= 0 && static_cast<size_t>(n) < fields.size() ? fields[static_cast<size_t>(n)] : "";
}

void fieldsKeepTheirPlaces(std::string row, FuzzInput& input) {
    for (int n = -1; n < 5; ++n) FUZZ_CHECK(scannerRowField(row, n) == field(row, n));
    const std::string before = row;
    const int n = static_cast<int>(input.pick(6)) - 1;
    std::string text = input.text(40);
    const bool withSeparator = text.find(';') != std::string::npos;
    setScannerRowField(row, n, text);
    if (n < 0) {
        FUZZ_CHECK(row == before);
        return;
    }
    // Fields before n unchanged; field n is the text (a ';' in it starts further fields).
    const auto old = fieldsOf(before);
    for (int m = 0; m < n; ++m) FUZZ_CHECK(scannerRowField(row, m) == field(before, m));
    if (withSeparator) {
        FUZZ_CHECK(row.find(text) != std::string::npos);
        return;
    }
    FUZZ_CHECK(scannerRowField(row, n) == text);
    // Fields after n follow as they were.
    for (size_t m = static_cast<size_t>(n) + 1; m < old.size() + 1; ++m)
        FUZZ_CHECK(scannerRowField(row, static_cast<int>(m)) == field(before, static_cast<int>(m)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const std::string bytes = input.bytes((input.byte() | input.byte() << 8) % 4096);
    const std::vector<std::string> rows = parseScannerList(bytes);
    for (const std::string& row : rows)
        FUZZ_CHECK(row.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    const std::string written = serializeScannerList(rows);
    FUZZ_CHECK(written == normalised(bytes));
    FUZZ_CHECK(parseScannerList(written) == rows);

    // Through a real file, as the program saves and loads it.
    if (input.flag()) {
        const std::string path = fuzzScratchDirectory() + "LVserial.dat";
        std::string error;
        FUZZ_CHECK(saveScannerList(path, rows, &error));
        bool missing = true;
        const auto loaded = loadScannerList(path, &error, &missing);
        FUZZ_CHECK(loaded && *loaded == rows && !missing);
    }
    if (!rows.empty())
        fieldsKeepTheirPlaces(rows[input.pick(static_cast<unsigned>(rows.size()))], input);
    fieldsKeepTheirPlaces(input.text(60), input);
    return 0;
}
