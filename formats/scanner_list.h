#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The scanner list file "LVserial.dat": one row per known scanner, each row up to three
// fields separated by ';' (serial number, ID, name) with no escaping.

// Rows of the file's bytes. CR LF, a lone CR or a lone LF ends a row; a last row without an
// ending counts; a final line ending adds no empty row, but an empty line between rows is an
// empty row; a NUL byte ends the reading; an empty file gives no rows.
std::vector<std::string> parseScannerList(std::string_view bytes);

// Every row followed by CR LF, the last one included.
std::string serializeScannerList(const std::vector<std::string>& rows);

// The rows of the file at `path`, or nothing when it is missing or cannot be read; then
// `error` gets "Cannot open file <path>", and `missing` (when given) tells whether there
// simply was no such file.
std::optional<std::vector<std::string>> loadScannerList(const std::string& path, std::string* error,
                                                        bool* missing = nullptr);

// The line (counted from 1) whose NUL byte ended the reading of `bytes`; 0 when there is none
// and every row was read.
int scannerListCutLine(std::string_view bytes);

// The file as read: its bytes, its rows, and where a NUL byte cut the reading short.
struct ScannerListFile {
    std::string bytes;
    std::vector<std::string> rows;
    int cutAtLine = 0;
};
// As loadScannerList, with the bytes and the place of a cut.
std::optional<ScannerListFile> readScannerListFile(const std::string& path, std::string* error,
                                                   bool* missing = nullptr);

// Creates or replaces the file at `path` (through a temporary file, so the old list
// survives any failure). On failure `error` gets "Cannot create file <path>".
bool saveScannerList(const std::string& path, const std::vector<std::string>& rows,
                     std::string* error);

// Field n (from 0) of a row: the text between the n-th and the (n+1)-th ';' (or the row's
// end); empty when the row has fewer than n separators or n is negative.
std::string scannerRowField(std::string_view row, int n);

// Replaces field n of the row by `text`, first appending ';' until the row has n
// separators. `text` is stored unchanged, a ';' in it included. A negative n changes nothing.
void setScannerRowField(std::string& row, int n, std::string_view text);
