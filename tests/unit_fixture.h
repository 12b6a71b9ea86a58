#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "file_helpers.h"
#include "scanner/cs1504_library.h"
#include "system/program_dir.h"
#include "testing/cs1504_device.h"
#include "testing/memory_transport.h"
#include "text/clock.h"
#include "text/date_time_format.h"

// What the tests of the windows against the device model start each case from: a program
// directory of their own, the PC's clock standing still, the process-wide date formats as at
// program start, and a CS1504 unit of the device model (factory parameters, time stamps on,
// no barcodes) on an in-memory line behind the process-wide scanner library.
class UnitFixture {
  public:
    // `leftovers`: files an earlier case may have left in the program directory.
    void setUp(const QTemporaryDir& directory, std::initializer_list<const char*> leftovers,
               const LocalDateTime& now, const std::array<uint8_t, 8>& serialNumber) {
        setProgramDirectory(nativePath(directory.path()));
        for (const char* name : leftovers) QFile::remove(directory.filePath(name));
        setClock([now] { return now; });
        dateTimeFormat() = DateTimeFormat{};
        device = cs1504::Device();
        device.serialNumber = serialNumber;
        line = std::make_unique<MemoryLine>(device);
        library = std::make_unique<Cs1504Library>(memoryPortOpener(*line));
        setScannerLibrary(library.get());
    }
    void tearDown() {
        setScannerLibrary(nullptr);
        library.reset();
        line.reset();
        setClock({});
    }

    cs1504::Device device;
    std::unique_ptr<MemoryLine> line;
    std::unique_ptr<Cs1504Library> library;
};
