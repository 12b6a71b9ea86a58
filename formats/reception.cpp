#include "formats/reception.h"

#include <algorithm>

#include "text/date_time_format.h"
#include "text/delimited_text.h"
#include "text/texts.h"

std::string serialNumberText(const uint8_t* bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 8; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

PacketUse packetUse(int length, bool stamped) {
    if (length < 0) return PacketUse::Unread;
    // Length byte and code type come first; a scanner without time stamps sends barcodes of
    // one to three characters in packets of 3 to 5 bytes, which are barcodes all the same.
    if (length <= 2) return PacketUse::Empty;
    // A stamped packet has room for its 4 stamp bytes only from 6 bytes on.
    if (stamped && length <= 5) return PacketUse::Unread;
    return PacketUse::Row;
}

std::string packetBarcode(const uint8_t* packet, int length, bool stamped) {
    const int end = stamped ? length - 4 : length;
    std::string barcode;
    for (int i = 2; i < end && packet[i] != 0; ++i) barcode += static_cast<char>(packet[i]);
    return barcode;
}

bool dataFormatColumns(DataFormat option, DataFormatColumns& columns) {
    switch (option) {
        case DataFormat::TimeAndDate:
            columns = {texts::kTime, texts::kDate, 3};
            return true;
        case DataFormat::Time:
            columns = {texts::kTime, "", 2};
            return true;
        case DataFormat::Date:
            columns = {texts::kDate, "", 2};
            return true;
        case DataFormat::BarcodeOnly:
            columns = {"", "", 1};
            return true;
    }
    return false;
}

bool decodeTimeStampText(std::string_view text, LocalDateTime& value) {
    DateTimeFormat& format = dateTimeFormat();
    format.shortDateFormat = "M/D/Y";
    format.dateSeparator = '/';
    LocalDateTime result;
    const bool dateRead = parseShortDate(text.substr(std::min<size_t>(12, text.size()), 8), result);
    // The rows are written with this date format, also after a stamp that could not be read.
    format.shortDateFormat = "DD.MM.YYYY";
    if (!dateRead) return false;
    format.timeSeparator = ':';
    if (!parseTime(text.substr(0, 12), result)) return false;
    value = result;
    return true;
}

std::vector<std::string> barcodeFields(const std::string& barcode, DataFormat option,
                                       const LocalDateTime& stamp) {
    std::vector<std::string> fields = {barcode};
    if (option == DataFormat::TimeAndDate || option == DataFormat::Time)
        fields.push_back(formatLongTime(stamp));
    if (option == DataFormat::TimeAndDate || option == DataFormat::Date)
        fields.push_back(formatShortDate(stamp));
    return fields;
}

std::string barcodeLine(const std::string& barcode, const std::string& separator, DataFormat option,
                        const LocalDateTime& stamp) {
    return joinFields(barcodeFields(barcode, option, stamp), separator);
}
