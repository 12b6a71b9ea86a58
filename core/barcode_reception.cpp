#include "core/barcode_reception.h"

#include <algorithm>

#include "formats/parameter_table.h"
#include "formats/reception.h"
#include "scanner/scanner_library.h"
#include "text/delimited_text.h"

namespace {

// The serial number of the unit on the line, looked up in the registry.
bool identify(ScannerLibrary& scanner, const ScannerRegistry& registry,
              const std::string& separator, Reception& reception) {
    uint8_t serial[kSerialNumberCapacity] = {};
    if (scanner.ReadSerialNumber(serial, kSerialNumberCapacity) != 0) return false;
    const std::string text = serialNumberText(serial);
    const auto entry = registry.find(text);
    if (!entry) return false;
    // The record names the scanner of this reception only.
    reception.serial = text;
    reception.scannerRecord = ScannerRegistry::scannerRecord(*entry, separator[0]);
    return true;
}

Reception stopped(Reception reception, ReceptionProblem problem, bool listed) {
    reception.problem = problem;
    reception.listed = listed;
    return reception;
}

// Packet `index` as a row; false (with the reception stopped) at an invalid time stamp.
bool readRow(ScannerLibrary& scanner, int32_t index, bool stamped, const std::string& separator,
             Reception& reception, int& unread) {
    uint8_t packet[kPacketCapacity] = {};
    const int length =
        std::min<int32_t>(scanner.FetchBarcode(packet, index, kPacketCapacity), kPacketCapacity);
    const PacketUse use = packetUse(length, stamped);
    if (use != PacketUse::Row) {
        if (use == PacketUse::Unread) ++unread;
        return true;
    }
    LocalDateTime stamp;
    const std::string barcode = packetBarcode(packet, length, stamped);
    if (stamped) {
        char text[kTimeStampTextCapacity] = {};
        scanner.FormatTimeStamp(packet + length - 4, text, kTimeStampTextCapacity);
        text[kTimeStampTextCapacity - 1] = '\0';
        if (!decodeTimeStampText(text, stamp)) {
            reception.problem = ReceptionProblem::InvalidTimeStamp;
            reception.problemBarcode = index + 1;
            reception.problemText = text;
            return false;
        }
    } else {
        // A scanner without time stamps: barcode only.
        reception.dataFormat = DataFormat::BarcodeOnly;
    }
    // The row keeps the barcode, time and date as read: the keyboard wedge types them from
    // there, as a barcode may hold the separator.
    ReceivedRow row{
        barcodeFields(barcode, reception.dataFormat, stamp), {}, packet[1], stamped, stamp};
    row.line = joinFields(row.fields, separator);
    reception.rows.push_back(std::move(row));
    return true;
}

}  // namespace

std::string effectiveFieldSeparator(const Settings& settings) {
    return settings.fieldSeparator.empty() ? ";" : settings.fieldSeparator;
}

namespace {
Reception readBarcodes(ScannerLibrary& scanner, const Settings& settings,
                       const ScannerRegistry& registry) {
    Reception reception;
    reception.dataFormat = settings.dataFormat;
    const std::string separator = effectiveFieldSeparator(settings);
    uint8_t stampFlag = 0;
    const bool stampFlagRead = scanner.ReadParameter(kTimeStampParameter, &stampFlag, 1) == 0;
    // While the unit is awake (the upload then sends it to sleep): a low battery, and a
    // clock that lost power (the stamps of these rows then mean nothing).
    if (stampFlagRead) reception.health = scanner.ReadUnitHealth();
    const int32_t count = scanner.CountStoredBarcodes();
    // A scanner that does not answer is not an unknown one; say which it is.
    if (count < 0) return stopped(std::move(reception), ReceptionProblem::NoConnection, false);
    if (!identify(scanner, registry, separator, reception))
        return stopped(std::move(reception), ReceptionProblem::UnknownScanner, false);
    if (!stampFlagRead && count > 0)
        return stopped(std::move(reception), ReceptionProblem::SettingsNotRead, false);
    reception.listed = true;
    int unread = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (!readRow(scanner, i, stampFlag != 0, separator, reception, unread)) return reception;
    }
    reception.count = count;
    // Barcodes that did not reach the rows keep the scanner from being cleared.
    reception.complete = unread == 0;
    if (unread > 0) {
        reception.problem = ReceptionProblem::BarcodesUnread;
        reception.problemBarcode = unread;
    }
    return reception;
}
}  // namespace

Reception receiveBarcodes(ScannerLibrary& scanner, const Settings& settings,
                          const ScannerRegistry& registry) {
    scanner.WatchReading(kReadingStallLimit);
    Reception reception = readBarcodes(scanner, settings, registry);
    const ScannerLibrary::ReadingStop stop = scanner.readingStop();
    scanner.EndWatch();
    if (stop == ScannerLibrary::ReadingStop::None) return reception;
    // Whatever was read before is no reading to save or to clear the unit after.
    reception.rows.clear();
    reception.listed = false;
    reception.complete = false;
    reception.count = 0;
    reception.health = {};
    reception.problem = stop == ScannerLibrary::ReadingStop::Cancelled ? ReceptionProblem::Cancelled
                                                                       : ReceptionProblem::Stalled;
    return reception;
}
