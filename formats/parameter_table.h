#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The scanner parameters the configuration offers: sixteen check boxes, each standing for
// one parameter code of the scanner, kept in a table of 50 (code, value) pairs whose memory
// image is the parameter file. Entries 16-49 are never sent; they are carried through the
// file unchanged.
struct ParameterEntry {
    int32_t code = 0;
    int32_t value = 0;
};
constexpr int kParameterTableSize = 50;
constexpr int kParameterItemCount = 16;
constexpr size_t kParameterFileSize = kParameterTableSize * 8;
using ParameterTable = std::array<ParameterEntry, kParameterTableSize>;

// Check box texts (UTF-8) of entries 0-15, in check list order.
extern const std::array<const char*, kParameterItemCount> kParameterItemTexts;

// Maximum barcode length: checked means 30 characters, unchecked 15.
constexpr int32_t kMaxLengthParameter = 34;
// Whether the scanner stores a time stamp with each barcode.
constexpr int32_t kTimeStampParameter = 35;

ParameterTable builtInParameterTable();

// The byte the scanner takes for a check state, and the check state a byte read back means.
uint8_t parameterValueByte(int32_t code, bool checked);
bool parameterChecked(int32_t code, uint8_t value);

// The 400-byte file image: per entry the code and the value, 4 bytes each, little-endian.
std::string parameterTableImage(const ParameterTable& table);
// Reads up to 400 bytes over the table from its start; a shorter image replaces only the
// entries (and half entries) it covers.
void readParameterTableImage(std::string_view image, ParameterTable& table);
