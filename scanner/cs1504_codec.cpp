#include "scanner/cs1504_codec.h"

#include <algorithm>
#include <cstdio>

namespace cs1504 {

namespace {

constexpr std::array<uint16_t, 256> makeCrcTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t value = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? static_cast<uint16_t>((value >> 1) ^ 0xA001) : value >> 1;
        table[i] = value;
    }
    return table;
}

constexpr auto crcTable = makeCrcTable();

// How far a run of counted strings starting at `position` reaches within the bytes at hand.
struct StringWalk {
    size_t position = 0;
    bool terminatorFound = false;
    bool reservedLength = false;
};

StringWalk walkCountedStrings(std::span<const uint8_t> bytes, size_t position) {
    StringWalk walk{position};
    while (walk.position < bytes.size()) {
        const uint8_t length = bytes[walk.position];
        if (length == 0) {
            walk.terminatorFound = true;
            return walk;
        }
        if (length > kMaxCountedString) {
            walk.reservedLength = true;
            return walk;
        }
        walk.position += 1 + length;
    }
    return walk;
}

bool isLoneStatus(std::span<const uint8_t> bytes, Sender sender) {
    return sender == Sender::Unit && !bytes.empty() && bytes[0] != status::Ok;
}

size_t frameLimit(Sender sender) {
    return sender == Sender::Unit ? kMaxResponseBytes : kMaxCommandBytes;
}

}  // namespace

uint16_t crc16(std::span<const uint8_t> bytes) {
    uint16_t crc = 0xFFFF;
    for (uint8_t byte : bytes)
        crc = static_cast<uint16_t>((crc >> 8) ^ crcTable[(crc ^ byte) & 0xFF]);
    return static_cast<uint16_t>(~crc);
}

Bytes buildFrame(uint8_t head, std::span<const uint8_t> fixed, const std::vector<Bytes>& strings) {
    Bytes frame;
    size_t size = 2 + fixed.size() + 3;
    for (const Bytes& string : strings) size += 1 + string.size();
    frame.reserve(size);
    frame.push_back(head);
    frame.push_back(kStx);
    frame.insert(frame.end(), fixed.begin(), fixed.end());
    for (const Bytes& string : strings) {
        frame.push_back(static_cast<uint8_t>(string.size()));
        frame.insert(frame.end(), string.begin(), string.end());
    }
    frame.push_back(0x00);
    const uint16_t crc = crc16(frame);
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    return frame;
}

Bytes buildCommand(Command command, const std::vector<Bytes>& strings) {
    return buildFrame(static_cast<uint8_t>(command), {}, strings);
}

Bytes buildResponse(std::span<const uint8_t> fixed, const std::vector<Bytes>& strings) {
    return buildFrame(status::Ok, fixed, strings);
}

size_t responseFixedLength(Command command) {
    switch (command) {
        case Command::Interrogate:
            return 18;  // version, status, serial number, software
        case Command::UploadBarcodes:
            return 8;  // serial number
        default:
            return 0;
    }
}

namespace {

// The size of the frame that starts `received`, as far as its lengths tell so far.
struct Extent {
    long needed = 0;   // more bytes needed at least; kMalformed when it cannot be a frame
    size_t total = 0;  // the whole frame's size, once needed is 0
};

Extent frameExtent(std::span<const uint8_t> received, size_t fixedLength, Sender sender) {
    if (received.empty()) return {1};
    if (isLoneStatus(received, sender)) return {0, 1};
    if (received.size() < 2) return {1};
    if (received[1] != kStx) return {kMalformed};
    const size_t stringsStart = 2 + fixedLength;
    if (received.size() < stringsStart)
        return {static_cast<long>(stringsStart + 1 - received.size())};
    const StringWalk walk = walkCountedStrings(received, stringsStart);
    if (walk.reservedLength) return {kMalformed};
    // The terminator is followed by two CRC bytes; an unfinished string needs at least its
    // rest and the next length byte.
    const size_t total = walk.terminatorFound ? walk.position + 3 : walk.position + 1;
    if (total > frameLimit(sender)) return {kMalformed};
    if (!walk.terminatorFound) return {static_cast<long>(total - received.size())};
    return {static_cast<long>(total - std::min(total, received.size())), total};
}

}  // namespace

long bytesStillNeeded(std::span<const uint8_t> received, size_t fixedLength, Sender sender) {
    return frameExtent(received, fixedLength, sender).needed;
}

size_t completeFrameSize(std::span<const uint8_t> received, size_t fixedLength, Sender sender) {
    const Extent extent = frameExtent(received, fixedLength, sender);
    return extent.needed == 0 ? extent.total : 0;
}

size_t wholeCountedStrings(std::span<const uint8_t> received, size_t fixedLength) {
    size_t count = 0;
    for (size_t position = 2 + fixedLength; position < received.size();) {
        const size_t length = received[position];
        if (length == 0 || position + 1 + length > received.size()) break;
        ++count;
        position += 1 + length;
    }
    return count;
}

ParseResult parseFrame(std::span<const uint8_t> bytes, size_t fixedLength, Sender sender,
                       Frame& frame) {
    const Extent extent = frameExtent(bytes, fixedLength, sender);
    if (extent.needed == kMalformed || (extent.needed == 0 && bytes.size() > extent.total))
        return ParseResult::Malformed;
    if (extent.needed > 0) return ParseResult::Incomplete;
    frame = Frame{bytes[0], {}, {}};
    if (isLoneStatus(bytes, sender)) return ParseResult::Complete;
    const size_t crcAt = bytes.size() - 2;
    const uint16_t expected = static_cast<uint16_t>(bytes[crcAt] << 8 | bytes[crcAt + 1]);
    if (crc16(bytes.first(crcAt)) != expected) return ParseResult::CrcMismatch;
    frame.fixed.assign(bytes.begin() + 2, bytes.begin() + 2 + fixedLength);
    for (size_t position = 2 + fixedLength; bytes[position] != 0;) {
        const size_t length = bytes[position];
        frame.strings.emplace_back(bytes.begin() + position + 1,
                                   bytes.begin() + position + 1 + length);
        position += 1 + length;
    }
    return ParseResult::Complete;
}

uint32_t packTimeStamp(int year, int month, int day, int hour, int minute, int second) {
    const auto field = [](int value, unsigned bits, unsigned shift) {
        return (static_cast<uint32_t>(value) & ((1u << bits) - 1)) << shift;
    };
    return field(year - 2000, 6, 0) | field(month, 4, 6) | field(day, 5, 10) | field(hour, 5, 15) |
           field(minute, 6, 20) | field(second, 6, 26);
}

TimeStampFields unpackTimeStamp(uint32_t stamp) {
    TimeStampFields fields;
    fields.year = 2000 + static_cast<int>(stamp & 0x3F);
    fields.month = static_cast<int>((stamp >> 6) & 0x0F);
    fields.day = static_cast<int>((stamp >> 10) & 0x1F);
    fields.hour = static_cast<int>((stamp >> 15) & 0x1F);
    fields.minute = static_cast<int>((stamp >> 20) & 0x3F);
    fields.second = static_cast<int>((stamp >> 26) & 0x3F);
    return fields;
}

std::array<uint8_t, 4> timeStampBytes(uint32_t stamp) {
    return {static_cast<uint8_t>(stamp >> 24), static_cast<uint8_t>(stamp >> 16),
            static_cast<uint8_t>(stamp >> 8), static_cast<uint8_t>(stamp)};
}

uint32_t timeStampFromBytes(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | static_cast<uint32_t>(bytes[3]);
}

std::string timeStampText(uint32_t stamp) {
    const TimeStampFields f = unpackTimeStamp(stamp);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d    %02d/%02d/%02d", f.hour, f.minute, f.second,
                  f.month, f.day, f.year % 100);
    return text;
}

}  // namespace cs1504
