// The CS1504 frame codec on any bytes, as either side may receive them: parsing agrees with
// building, the length-driven reading never reads past a frame, and the packed time stamps
// convert both ways.
#include <vector>

#include "fuzz/fuzz_support.h"
#include "scanner/cs1504_codec.h"

using namespace cs1504;

namespace {

constexpr size_t kFixedLengths[] = {0, 8, 18};

size_t limitOf(Sender sender) {
    return sender == Sender::Unit ? kMaxResponseBytes : kMaxCommandBytes;
}

// Reading as the session does: always exactly as many bytes as the frame still needs.
void readsExactlyOneFrame(const Bytes& bytes, size_t fixed, Sender sender) {
    const size_t whole = completeFrameSize(bytes, fixed, sender);
    Bytes received;
    for (;;) {
        const long needed = bytesStillNeeded(received, fixed, sender);
        if (needed == kMalformed) {
            FUZZ_CHECK(whole == 0);
            return;
        }
        if (needed == 0) break;
        FUZZ_CHECK(needed > 0);
        if (received.size() + static_cast<size_t>(needed) > bytes.size()) {
            // The input ends first: no whole frame in it, and none announced that fits.
            FUZZ_CHECK(whole == 0);
            Frame frame;
            FUZZ_CHECK(parseFrame(received, fixed, sender, frame) == ParseResult::Incomplete);
            return;
        }
        received.insert(received.end(), bytes.begin() + static_cast<long>(received.size()),
                        bytes.begin() + static_cast<long>(received.size()) + needed);
        FUZZ_CHECK(received.size() <= limitOf(sender));
    }
    // Stopped at the frame's last byte, never beyond it.
    FUZZ_CHECK(received.size() == whole);
}

void parsesAsItWasBuilt(const Bytes& bytes, size_t fixed, Sender sender) {
    Frame frame;
    const ParseResult result = parseFrame(bytes, fixed, sender, frame);
    const long needed = bytesStillNeeded(bytes, fixed, sender);
    const size_t whole = completeFrameSize(bytes, fixed, sender);
    switch (result) {
        case ParseResult::Complete:
            FUZZ_CHECK(needed == 0 && whole == bytes.size());
            FUZZ_CHECK(frame.head == bytes[0]);
            if (sender == Sender::Unit && bytes[0] != status::Ok) {
                FUZZ_CHECK(bytes.size() == 1 && frame.fixed.empty() && frame.strings.empty());
                break;
            }
            FUZZ_CHECK(frame.fixed.size() == fixed);
            for (const Bytes& string : frame.strings)
                FUZZ_CHECK(!string.empty() && string.size() <= kMaxCountedString);
            FUZZ_CHECK(buildFrame(frame.head, frame.fixed, frame.strings) == bytes);
            break;
        case ParseResult::CrcMismatch: {
            FUZZ_CHECK(needed == 0 && whole == bytes.size());
            // Everything but the check sum is a frame: built again it differs only there.
            Frame parts;
            Bytes repaired = bytes;
            const uint16_t crc = crc16(std::span(bytes).first(bytes.size() - 2));
            repaired[repaired.size() - 2] = static_cast<uint8_t>(crc >> 8);
            repaired[repaired.size() - 1] = static_cast<uint8_t>(crc);
            FUZZ_CHECK(repaired != bytes);
            FUZZ_CHECK(parseFrame(repaired, fixed, sender, parts) == ParseResult::Complete);
            break;
        }
        case ParseResult::Incomplete:
            FUZZ_CHECK(needed > 0 && whole == 0);
            break;
        case ParseResult::Malformed:
            FUZZ_CHECK(needed == kMalformed || (needed == 0 && whole < bytes.size()));
            break;
    }
}

// Frames made from the input's pieces come back whole.
void buildsWhatParses(FuzzInput& input, size_t fixedLength, Sender sender) {
    const uint8_t head = sender == Sender::Unit ? status::Ok : input.byte();
    const std::string fixedText = input.bytes(fixedLength);
    if (fixedText.size() != fixedLength) return;
    const Bytes fixed(fixedText.begin(), fixedText.end());
    std::vector<Bytes> strings;
    size_t size = 2 + fixedLength + 3;
    for (unsigned count = input.pick(8); count > 0; --count) {
        const std::string text = input.text(kMaxCountedString);
        if (text.empty()) continue;
        strings.emplace_back(text.begin(), text.end());
        size += 1 + text.size();
    }
    const Bytes frame = buildFrame(head, fixed, strings);
    FUZZ_CHECK(frame.size() == size);
    Frame parsed;
    const ParseResult result = parseFrame(frame, fixedLength, sender, parsed);
    if (size > limitOf(sender)) {
        FUZZ_CHECK(result == ParseResult::Malformed);
        return;
    }
    FUZZ_CHECK(result == ParseResult::Complete);
    FUZZ_CHECK(parsed.head == head && parsed.fixed == fixed && parsed.strings == strings);
    readsExactlyOneFrame(frame, fixedLength, sender);
}

void timeStampsConvertBothWays(const uint8_t* bytes) {
    const uint32_t stamp = timeStampFromBytes(bytes);
    const auto back = timeStampBytes(stamp);
    FUZZ_CHECK(std::equal(back.begin(), back.end(), bytes));
    const TimeStampFields f = unpackTimeStamp(stamp);
    FUZZ_CHECK(packTimeStamp(f.year, f.month, f.day, f.hour, f.minute, f.second) == stamp);
    const std::string text = timeStampText(stamp);
    FUZZ_CHECK(text.size() == 20);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%02d:%02d:%02d    %02d/%02d/%02d", f.hour, f.minute,
                  f.second, f.month, f.day, f.year - 2000);
    FUZZ_CHECK(text == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint8_t choice = input.byte();
    const Sender sender = (choice & 1) ? Sender::Unit : Sender::Host;
    const size_t fixed = kFixedLengths[(choice >> 1) % 3];
    if (choice & 0x80) {
        buildsWhatParses(input, fixed, sender);
        return 0;
    }
    const std::string rest = input.rest();
    const Bytes bytes(rest.begin(), rest.end());
    parsesAsItWasBuilt(bytes, fixed, sender);
    readsExactlyOneFrame(bytes, fixed, sender);
    if (bytes.size() >= 4) timeStampsConvertBothWays(bytes.data());
    return 0;
}
