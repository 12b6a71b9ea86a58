#pragma once

// Stand-ins for the scanner library and the global hotkeys that record what the windows ask
// of them.
#include <cstring>
#include <string>
#include <vector>

#include "platform/global_hotkeys.h"
#include "platform/recording/recording_hotkeys.h"
#include "scanner/scanner_library.h"

// A scanner library whose open and close results are set by the test; every call is logged
// by name ("Open 3" with the port index).
class ScriptedScannerLibrary : public ScannerLibrary {
  public:
    int32_t openResult = 0;
    int32_t closeResult = 0;
    std::vector<std::string> calls;

    int32_t ResetScannerLink() override { return log("Reset", 0); }
    int32_t OpenScannerPort(int32_t port) override {
        return log("Open " + std::to_string(port), openResult);
    }
    int32_t CloseScannerPort() override { return log("Close", closeResult); }
    int32_t EndScannerExchange() override { return log("End", 0); }
    int32_t CountStoredBarcodes() override { return log("Count", 0); }
    int32_t FetchBarcode(uint8_t*, int32_t, int32_t) override { return log("Fetch", 0); }
    int32_t EraseStoredBarcodes() override { return log("Erase", 0); }
    int32_t ReadSerialNumber(uint8_t* buffer, int32_t capacity) override {
        std::memset(buffer, 0, static_cast<size_t>(capacity));
        return log("Serial", 0);
    }
    int32_t ReadParameter(int32_t, uint8_t* buffer, int32_t) override {
        buffer[0] = 0;
        return log("ReadParameter", 0);
    }
    int32_t WriteParameter(int32_t, const uint8_t*, int32_t) override {
        return log("WriteParameter", 0);
    }
    int32_t RestoreFactoryDefaults() override { return log("Defaults", 0); }
    int32_t WriteScannerClock(const uint8_t*) override { return log("Clock", 0); }
    int32_t FormatTimeStamp(const uint8_t*, char* text, int32_t capacity) override {
        if (capacity > 0) text[0] = '\0';
        return log("Stamp", 0);
    }

  private:
    int32_t log(const std::string& call, int32_t result) {
        calls.push_back(call);
        return result;
    }
};

// Installs a library for the lifetime of the object and puts the previous one back.
class InstalledScannerLibrary {
  public:
    explicit InstalledScannerLibrary(ScannerLibrary* library)
        : before_(setScannerLibrary(library)) {}
    ~InstalledScannerLibrary() { setScannerLibrary(before_); }
    InstalledScannerLibrary(const InstalledScannerLibrary&) = delete;
    InstalledScannerLibrary& operator=(const InstalledScannerLibrary&) = delete;

  private:
    ScannerLibrary* before_;
};

// Global hotkeys that record each registration as "id:modifiers:key".
// The recording hotkey backend, installed while alive.
class InstalledHotkeys : public RecordingHotkeys {
  public:
    InstalledHotkeys() { setGlobalHotkeys(this); }
    ~InstalledHotkeys() override { setGlobalHotkeys(nullptr); }
    InstalledHotkeys(const InstalledHotkeys&) = delete;
    InstalledHotkeys& operator=(const InstalledHotkeys&) = delete;

    // Registrations as "id:modifiers:key", in order.
    std::vector<std::string> registrations() const {
        std::vector<std::string> out;
        for (const auto& call : calls())
            if (call.kind == Call::Register)
                out.push_back(std::to_string(call.id) + ":" + std::to_string(call.modifiers) + ":" +
                              std::to_string(call.virtualKey));
        return out;
    }
    bool anyUnregistered() const {
        for (const auto& call : calls())
            if (call.kind == Call::Unregister) return true;
        return false;
    }
};
