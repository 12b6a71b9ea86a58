#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "scanner/cs1504_codec.h"

// A CS1504 unit as seen from its serial line: what it stores and how it answers each
// command frame. The scanner library's tests talk to it through an in-memory pipe, the
// emulator tool serves it on a pseudo-terminal.
namespace cs1504 {

struct StoredBarcode {
    uint8_t codeType = 0x01;
    std::string data;
    uint32_t stamp = 0;
    bool operator==(const StoredBarcode&) const = default;
};

namespace parameter {
constexpr uint8_t MaxBarcodeLength = 34;  // 30 or 15
constexpr uint8_t StoreTimeStamps = 35;
}  // namespace parameter

class Device {
  public:
    Device();  // factory parameters, a default serial number, no barcodes

    std::array<uint8_t, 8> serialNumber;
    std::string softwareVersion;  // 8 ASCII bytes
    std::vector<StoredBarcode> barcodes;
    bool connected = true;  // false: answers nothing at all
    bool lowBattery = false;
    std::array<uint8_t, 6> clock;  // ss mm hh DD MM YY as last set
    bool clockLost = false;

    void setParameter(uint8_t code, uint8_t value);
    uint8_t parameter(uint8_t code) const;  // 0 for a parameter the unit does not know
    bool knowsParameter(uint8_t code) const;
    const std::map<uint8_t, uint8_t>& parameters() const { return parameters_; }
    void restoreFactoryParameters();
    bool timeStampsOn() const;        // parameter 35
    size_t maxBarcodeLength() const;  // parameter 34

    // One whole command frame in, the response bytes out (empty = no answer). Like a unit,
    // it answers only Interrogate until a session is open; Power down ends the session.
    std::vector<uint8_t> respond(const std::vector<uint8_t>& command);

    bool sessionOpen() const { return sessionOpen_; }
    // What a long DTR drop or the unit's idle time-out does: back to answering only
    // Interrogate.
    void endSession() { sessionOpen_ = false; }

    // Scanning a barcode on the unit: kept to the maximum length, stamped with the clock
    // when time stamps are on. False when the memory is full.
    bool scan(uint8_t codeType, const std::string& data);
    // The bytes the upload response for the stored barcodes takes; a unit holds no more
    // than fits kMaxResponseBytes.
    size_t uploadResponseSize() const;
    Bytes barcodeRecord(const StoredBarcode& barcode) const;
    uint32_t clockStamp() const;
    // The clock loses power: it runs again from 01.01.2000 00:00:00, and Get time says so
    // until the clock is set.
    void loseClock();

  private:
    Bytes answer(const Frame& command);
    Bytes interrogate();
    Bytes clearBarcodes();
    Bytes downloadParameters(const Frame& command);
    Bytes setDefaults();
    Bytes powerDown();
    Bytes uploadBarcodes();
    Bytes uploadParameters(const Frame& command);
    Bytes setTime(const Frame& command);
    Bytes getTime();
    bool parameterLocked(uint8_t code) const;

    std::map<uint8_t, uint8_t> parameters_;
    bool sessionOpen_ = false;
};

// Collects command frames from the bytes a host sends, the way a unit on a serial line
// does: a byte that cannot start a command is passed over, and the search goes on from the
// next one.
class CommandReader {
  public:
    void add(std::span<const uint8_t> bytes);
    // The next whole command, or nothing until more bytes arrive. `skipped` (when given)
    // gets the bytes passed over on the way.
    std::optional<Bytes> next(Bytes* skipped = nullptr);
    // What has arrived and is not yet a whole command.
    const Bytes& pending() const { return pending_; }
    void clear() { pending_.clear(); }

  private:
    Bytes pending_;
};

}  // namespace cs1504
