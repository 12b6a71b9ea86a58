#include "scanner/scanner_library.h"

namespace {

// What the program sees when no scanner library is installed: nothing can be opened and
// nothing answers.
class NoScannerLibrary final : public ScannerLibrary {
  public:
    int32_t ResetScannerLink() override { return 0; }
    int32_t OpenScannerPort(int32_t) override { return -1; }
    int32_t CloseScannerPort() override { return -1; }
    int32_t EndScannerExchange() override { return -1; }
    int32_t CountStoredBarcodes() override { return -1; }
    int32_t FetchBarcode(uint8_t*, int32_t, int32_t) override { return 0; }
    int32_t EraseStoredBarcodes() override { return -1; }
    int32_t ReadSerialNumber(uint8_t*, int32_t) override { return -1; }
    int32_t ReadParameter(int32_t, uint8_t*, int32_t) override { return -1; }
    int32_t WriteParameter(int32_t, const uint8_t*, int32_t) override { return -1; }
    int32_t RestoreFactoryDefaults() override { return -1; }
    int32_t WriteScannerClock(const uint8_t*) override { return -1; }
    int32_t FormatTimeStamp(const uint8_t*, char* text, int32_t capacity) override {
        if (text && capacity > 0) text[0] = '\0';
        return -1;
    }
};

NoScannerLibrary noLibrary;
ScannerLibrary* installed = &noLibrary;

}  // namespace

ScannerLibrary& scannerLibrary() {
    return *installed;
}

ScannerLibrary* setScannerLibrary(ScannerLibrary* library) {
    ScannerLibrary* before = installed;
    installed = library ? library : &noLibrary;
    return before == &noLibrary ? nullptr : before;
}
