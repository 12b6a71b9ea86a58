#pragma once

// The barcodes the keyboard wedge's end-to-end tests put on the emulated scanner, and what
// the focused window should receive of them.
#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "scanner/cs1504_codec.h"
#include "testing/cs1504_device.h"
#include "testing/cs1504_unit_file.h"
#include "text/cp1252.h"

struct Scan {
    uint8_t codeType;
    const char* data;  // Windows-1252
    int year, month, day, hour, minute, second;
};

// The serial number of the scanner that holds them.
inline constexpr std::array<uint8_t, 8> kScannerSerial = {0x0A, 0x1B, 0x2C, 0x3D,
                                                          0x4E, 0x5F, 0x60, 0x71};

// The emulator's unit file: a scanner with time stamps on, holding `scans`.
inline std::string unitFileWith(std::span<const Scan> scans) {
    cs1504::Device unit;
    unit.serialNumber = kScannerSerial;
    unit.setParameter(cs1504::parameter::StoreTimeStamps, 1);
    for (const Scan& scan : scans) {
        unit.barcodes.push_back({scan.codeType, scan.data,
                                 cs1504::packTimeStamp(scan.year, scan.month, scan.day, scan.hour,
                                                       scan.minute, scan.second)});
    }
    return cs1504::writeUnitFile(unit);
}

// What the focused window should receive, in UTF-8: each barcode exactly as scanned (the
// receive list's delimiter in it too), then its time and date, joined by Tab, and Return
// after each line.
inline std::string typedUtf8(std::span<const Scan> scans) {
    std::string text;
    for (const Scan& scan : scans) {
        text +=
            cp1252::toUtf8(scan.data) + '\t' +
            QString::asprintf("%02d:%02d:%02d", scan.hour, scan.minute, scan.second).toStdString() +
            '\t' +
            QString::asprintf("%02d.%02d.%04d", scan.day, scan.month, scan.year).toStdString() +
            '\r';
    }
    return text;
}
