#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The CS1504 wire format: CRC, command and response frames, counted strings and the
// packed time stamps the unit keeps with each barcode. Pure functions, shared by the
// host side (the scanner library) and the unit side (the device model and emulator).
namespace cs1504 {

using Bytes = std::vector<uint8_t>;

enum class Command : uint8_t {
    Interrogate = 1,
    ClearBarcodes = 2,
    DownloadParameters = 3,
    SetDefaults = 4,
    PowerDown = 5,
    UploadBarcodes = 7,
    UploadParameters = 8,
    SetTime = 9,
    GetTime = 10,
};

namespace status {
constexpr uint8_t Unsupported = 5;
constexpr uint8_t Ok = 6;
constexpr uint8_t CrcError = 7;
constexpr uint8_t CharacterError = 8;
constexpr uint8_t GeneralError = 9;
}  // namespace status

// The system status byte of the answer to Interrogate.
constexpr uint8_t kSystemOk = 0;
constexpr uint8_t kSystemLowBattery = 22;
// A clock field of 0xFF: in Get time's answer a second that says the clock lost power, in
// Set time's a field out of range that was not set.
constexpr uint8_t kClockFieldInvalid = 0xFF;

constexpr uint8_t kStx = 0x02;
constexpr size_t kMaxCountedString = 250;
constexpr size_t kMaxCommandBytes = 70;
constexpr size_t kMaxResponseBytes = 6144;

// CRC-16 as the unit computes it: reflected polynomial 0xA001, start 0xFFFF, complemented.
uint16_t crc16(std::span<const uint8_t> bytes);

// `head 02 fixed… strings… 00 CRC_hi CRC_lo`. head is the command byte or the OK status.
// A counted string cannot be empty: its zero length would end the sequence.
Bytes buildFrame(uint8_t head, std::span<const uint8_t> fixed, const std::vector<Bytes>& strings);
Bytes buildCommand(Command command, const std::vector<Bytes>& strings = {});
Bytes buildResponse(std::span<const uint8_t> fixed, const std::vector<Bytes>& strings = {});

// Bytes of fixed fields that follow `06 02` in the good response to `command`.
size_t responseFixedLength(Command command);

// Which side sent a frame: a response may also be a lone status byte.
enum class Sender { Host, Unit };

// How many more bytes the frame that begins `received` needs at least, judged from the
// lengths read so far: 0 when it is complete. Reading exactly that many bytes at a time
// ends a read with the frame's last byte instead of a timeout. Returns kMalformed when the
// bytes cannot start a valid frame (bad second byte, reserved length, longer than the
// sender ever sends).
constexpr long kMalformed = -1;
long bytesStillNeeded(std::span<const uint8_t> received, size_t fixedLength, Sender sender);
// The size of the complete frame at the start of `received` (more bytes may follow), or 0.
size_t completeFrameSize(std::span<const uint8_t> received, size_t fixedLength, Sender sender);

// How many counted strings lie whole in `received`, the beginning of a response whose fixed
// fields take `fixedLength` bytes after its two head bytes: while a long response arrives,
// the barcodes that have arrived so far.
size_t wholeCountedStrings(std::span<const uint8_t> received, size_t fixedLength);

struct Frame {
    uint8_t head = 0;  // command byte, or the response status
    Bytes fixed;
    std::vector<Bytes> strings;
};

enum class ParseResult { Complete, Incomplete, CrcMismatch, Malformed };

// Parses one whole frame. A response of a single status byte other than OK is Complete with
// only `head` set.
ParseResult parseFrame(std::span<const uint8_t> bytes, size_t fixedLength, Sender sender,
                       Frame& frame);

// Time stamps: one big-endian 32-bit value; year 2000-2063.
struct TimeStampFields {
    int year = 2000, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool operator==(const TimeStampFields&) const = default;
};
uint32_t packTimeStamp(int year, int month, int day, int hour, int minute, int second);
TimeStampFields unpackTimeStamp(uint32_t stamp);
std::array<uint8_t, 4> timeStampBytes(uint32_t stamp);
uint32_t timeStampFromBytes(const uint8_t* bytes);

// "hh:mm:ss" padded with blanks to 12 characters, then "MM/DD/YY": 20 characters.
std::string timeStampText(uint32_t stamp);

}  // namespace cs1504
