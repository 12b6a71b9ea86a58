#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/local_date_time.h"

// The window-free pieces of a reception: packets, serial numbers, time stamp texts and the
// barcode lines built from them.

// Size of the buffers handed to the scanner library.
constexpr int kPacketCapacity = 100;
constexpr int kSerialNumberCapacity = 9;
constexpr int kTimeStampTextCapacity = 29;

// The 8 serial number bytes as 16 lowercase hexadecimal digits, in byte order.
std::string serialNumberText(const uint8_t* bytes);

// What a reception makes of a packet of `length` bytes; a negative length is a packet the
// scanner library could not deliver.
enum class PacketUse {
    Row,     // it holds a barcode (perhaps an empty one, with its time stamp)
    Empty,   // not even a code type and one character: nothing is lost by passing it by
    Unread,  // a barcode the list cannot show; it must stay on the scanner
};
PacketUse packetUse(int length, bool stamped);

// The barcode of a packet of `length` bytes (length byte, code type, barcode, and the 4
// stamp bytes when the scanner stores time stamps), up to its first zero byte.
std::string packetBarcode(const uint8_t* packet, int length, bool stamped);

// The data format option: which columns a barcode line holds besides the barcode. The number
// is the one the settings file stores (ScannerOptions/DataFormat); -1 when none is chosen.
enum class DataFormat : int32_t { TimeAndDate = 0, Time = 1, Date = 2, BarcodeOnly = 3 };

// Captions of header sections 1 and 2 and the column count for a data format option;
// false for none.
struct DataFormatColumns {
    std::string caption1, caption2;
    int columnCount = 1;
};
bool dataFormatColumns(DataFormat option, DataFormatColumns& columns);

// Reads a time stamp text (time of day in characters 1-12, date "MM/DD/YY" in 13-20) the
// way the desktop's conversions do, and leaves the process-wide formats as that reading
// sets them: short date format "DD.MM.YYYY", date separator "/", time separator ":".
// False when the date or the time does not parse.
bool decodeTimeStampText(std::string_view text, LocalDateTime& value);

// The columns of a barcode line: the barcode as scanned, then for TimeAndDate the time text
// and the date text, for Time the time text, for Date the date text, for anything else
// nothing more.
std::vector<std::string> barcodeFields(const std::string& barcode, DataFormat option,
                                       const LocalDateTime& stamp);
// The barcode line: barcodeFields joined by the field separator text.
std::string barcodeLine(const std::string& barcode, const std::string& separator, DataFormat option,
                        const LocalDateTime& stamp);
