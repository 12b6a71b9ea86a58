#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "testing/cs1504_device.h"

// A small text form of what a unit holds, for the emulator's data files and the state it
// reports back to tests. One entry a line, '#' starts a comment:
//
//   serial 001aff075c10420b            8 bytes as 16 hexadecimal digits
//   software CS1504A1                  8 characters
//   timestamps on                      parameter 35, on or off
//   parameter 34 30                    any parameter, code and value in decimal
//   clock 2026-12-06 19:52:12          the unit's clock (years 2000-2099)
//   clock-lost yes                     the clock lost power
//   battery low                        or ok
//   connected no                       a unit that answers nothing
//   barcode ean13 2026-12-06 14:05:09 4006381333931
//
// A barcode line holds the code type (a name below or a number such as 0x0B), the time
// stamp and, after one blank, the barcode up to the line end; bytes below 0x20 or above
// 0x7E and a backslash are written \xHH. State files also hold "awake yes|no", which
// loading ignores.
namespace cs1504 {

// Reads `text` over `device` (entries not named keep their value). On a mistake returns
// false and describes it, with its line number, in `error`.
bool readUnitFile(std::string_view text, Device& device, std::string& error);
std::string writeUnitFile(const Device& device);

// code39, code128, d25, itf, upca, ean8, ean13, ean128, code39ascii, or a number.
std::optional<uint8_t> codeTypeFromName(std::string_view name);
std::string codeTypeName(uint8_t codeType);

// The longest barcode a record can carry with its code type and time stamp.
constexpr size_t kMaxStoredBarcode = kMaxCountedString - 5;

}  // namespace cs1504
