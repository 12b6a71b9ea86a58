// The emulator's data file (and state file) on any text: it is read or refused with a line
// number, never half applied in a way the written form cannot hold, and what it read is
// written back so that reading that again gives the same unit, byte for byte.
#include "fuzz/fuzz_support.h"
#include "testing/cs1504_unit_file.h"

using namespace cs1504;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Device unit;
    std::string error;
    if (!readUnitFile(text, unit, error)) {
        FUZZ_CHECK(error.starts_with("line ") ||
                   error == "more barcodes than the unit's memory holds");
        return 0;
    }
    FUZZ_CHECK(error.empty());
    FUZZ_CHECK(unit.uploadResponseSize() <= kMaxResponseBytes);
    for (const StoredBarcode& barcode : unit.barcodes)
        FUZZ_CHECK(barcode.data.size() <= kMaxStoredBarcode);
    const std::string written = writeUnitFile(unit);
    Device again;
    FUZZ_CHECK(readUnitFile(written, again, error));
    FUZZ_CHECK(again.serialNumber == unit.serialNumber);
    FUZZ_CHECK(again.softwareVersion == unit.softwareVersion);
    FUZZ_CHECK(again.barcodes == unit.barcodes);
    FUZZ_CHECK(again.parameters() == unit.parameters());
    FUZZ_CHECK(again.clock == unit.clock && again.clockLost == unit.clockLost);
    FUZZ_CHECK(again.lowBattery == unit.lowBattery && again.connected == unit.connected);
    FUZZ_CHECK(writeUnitFile(again) == written);
    return 0;
}
