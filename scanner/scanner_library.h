#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

// How far the upload of the stored barcodes has got, reported while its bytes arrive, and
// once more (`done`) when all have arrived.
struct UploadProgress {
    int bytes = 0;          // of the unit's answer so far
    int largestAnswer = 0;  // the most bytes such an answer can take (a full unit)
    int barcodes = 0;       // whole barcodes among the bytes so far
    bool done = false;
};
using UploadProgressHandler = std::function<void(const UploadProgress&)>;

// What a unit tells of itself besides its barcodes.
struct UnitHealth {
    bool known = false;  // the unit said it
    bool lowBattery = false;
    // Its clock lost power: it runs again from a reset value, and every time stamp it gave
    // since means nothing.
    bool clockLost = false;
};

// The scanner library: the thirteen operations through which the program talks to the
// scanner. Each takes 32-bit integers or byte buffers, returns a 32-bit result and blocks
// until done. The program uses one process-wide instance (scannerLibrary()); tests may
// install another.
class ScannerLibrary {
  public:
    virtual ~ScannerLibrary() = default;

    // Forgets the current session, so the next operation starts a fresh one.
    virtual int32_t ResetScannerLink() = 0;
    // Opens port index 0-15 (COM1-COM16). 0 = open, negative = failure.
    virtual int32_t OpenScannerPort(int32_t portIndex) = 0;
    // 0 = closed; non-zero when no port was open.
    virtual int32_t CloseScannerPort() = 0;
    // Ends the exchange with the unit (powers it down).
    virtual int32_t EndScannerExchange() = 0;
    // Number of stored barcodes; negative = no connection.
    virtual int32_t CountStoredBarcodes() = 0;
    // Writes the barcode packet of `index` (length byte, code type, barcode, stamp) into
    // `buffer`; returns its length, negative when it cannot be delivered.
    virtual int32_t FetchBarcode(uint8_t* buffer, int32_t index, int32_t capacity) = 0;
    virtual int32_t EraseStoredBarcodes() = 0;
    // Bytes 0-7 of `buffer` receive the serial number. 0 = success.
    virtual int32_t ReadSerialNumber(uint8_t* buffer, int32_t capacity) = 0;
    // buffer[0] receives the value of parameter `code`. 0 = success.
    virtual int32_t ReadParameter(int32_t code, uint8_t* buffer, int32_t capacity) = 0;
    virtual int32_t WriteParameter(int32_t code, const uint8_t* value, int32_t length) = 0;
    // Restores the factory parameters; the unit also clears its barcodes.
    virtual int32_t RestoreFactoryDefaults() = 0;
    // `clock`: 6 bytes second, minute, hour, day, month, year of century.
    virtual int32_t WriteScannerClock(const uint8_t* clock) = 0;
    // Writes a NUL-terminated text for a 4-byte stamp: characters 1-12 the time of day
    // "hh:mm:ss" padded with blanks, characters 13-20 the date "MM/DD/YY".
    virtual int32_t FormatTimeStamp(const uint8_t* stamp, char* text, int32_t capacity) = 0;

    // Beyond the thirteen operations: the battery state and whether the clock lost power,
    // of the unit on the open port. Unknown from a library that cannot tell.
    virtual UnitHealth ReadUnitHealth() { return {}; }

    // A reading that can end early, beyond the thirteen operations. WatchReading starts the
    // watch: from then on CancelReading (from an event handler the operation lets run)
    // ends the running operation at its next read or wait, and so does a stretch of
    // `stallLimit` without an answer or new upload bytes (0: no limit); every operation
    // fails after that until EndWatch, which ends the watch and, after a stop, makes the
    // unit drop what it was doing and sleep. readingStop says why the watch stopped.
    enum class ReadingStop { None, Cancelled, Stalled };
    virtual void WatchReading(std::chrono::milliseconds stallLimit) { (void)stallLimit; }
    virtual void CancelReading() {}
    virtual ReadingStop readingStop() const { return ReadingStop::None; }
    virtual void EndWatch() {}
    // Called about every 50 ms while an operation waits for the line, so that the windows
    // stay responsive (and a cancel can be taken) when no bytes come; the same rules as for
    // the progress handler.
    void setWaitHandler(std::function<void()> handler) { waiting_ = std::move(handler); }

    // Sees the progress of an upload (within CountStoredBarcodes, or a FetchBarcode that has
    // to upload); none when empty. The handler may let the windows repaint, but the operation
    // is still running: an operation called from within it fails without touching the unit.
    void setUploadProgressHandler(UploadProgressHandler handler) {
        uploadProgress_ = std::move(handler);
    }

  protected:
    void reportUploadProgress(const UploadProgress& progress) const {
        if (uploadProgress_) uploadProgress_(progress);
    }
    void reportWaiting() const {
        if (waiting_) waiting_();
    }

  private:
    UploadProgressHandler uploadProgress_;
    std::function<void()> waiting_;
};

// The process-wide library. Until one is installed it is a library whose every operation
// fails (no port can be opened).
ScannerLibrary& scannerLibrary();
// Installs `library` (not owned) as the process-wide one; nullptr goes back to the failing
// default. Returns the one installed before.
ScannerLibrary* setScannerLibrary(ScannerLibrary* library);
