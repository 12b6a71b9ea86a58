// The device model as the emulator serves it to any host: a byte stream from the input is
// cut into commands the way the emulator does, and every answer must be one well-formed
// response that fits the unit's limits, with the unit's state changing only as the command
// asks. At the end the unit's state survives the emulator's state file.
#include "fuzz/fuzz_support.h"
#include "scanner/cs1504_codec.h"
#include "testing/cs1504_device.h"
#include "testing/cs1504_unit_file.h"

using namespace cs1504;

namespace {

void setUp(Device& unit, FuzzInput& input) {
    unit.lowBattery = input.flag();
    unit.clockLost = input.flag();
    unit.setParameter(parameter::StoreTimeStamps, input.pick(3));
    unit.setParameter(parameter::MaxBarcodeLength, input.flag() ? 15 : 30);
    for (unsigned count = input.pick(6); count > 0; --count) {
        unit.barcodes.push_back({input.byte(), input.text(kMaxStoredBarcode),
                                 timeStampFromBytes(reinterpret_cast<const uint8_t*>(
                                     (input.bytes(4) + std::string(4, '\0')).data()))});
    }
    if (unit.uploadResponseSize() > kMaxResponseBytes) unit.barcodes.clear();
}

bool validClock(const std::array<uint8_t, 6>& clock) {
    return clock[0] <= 59 && clock[1] <= 59 && clock[2] <= 23 && clock[3] >= 1 && clock[3] <= 31 &&
           clock[4] >= 1 && clock[4] <= 12 && clock[5] <= 99;
}

void answersWell(Device& unit, const Bytes& command) {
    const Device before = unit;
    const Bytes answer = unit.respond(command);
    const auto kind = static_cast<Command>(command[0]);
    if (!before.connected || (!before.sessionOpen() && kind != Command::Interrogate)) {
        FUZZ_CHECK(answer.empty());
        FUZZ_CHECK(unit.barcodes == before.barcodes && unit.parameters() == before.parameters());
        return;
    }
    FUZZ_CHECK(!answer.empty() && answer.size() <= kMaxResponseBytes);
    Frame frame;
    FUZZ_CHECK(parseFrame(answer, responseFixedLength(kind), Sender::Unit, frame) ==
               ParseResult::Complete);
    FUZZ_CHECK(unit.uploadResponseSize() <= kMaxResponseBytes);
    FUZZ_CHECK(validClock(unit.clock) || unit.clock == before.clock);
    const bool ok = frame.head == status::Ok;
    if (!ok) {
        // An error answer changes nothing.
        FUZZ_CHECK(frame.head == status::CrcError || frame.head == status::GeneralError ||
                   frame.head == status::Unsupported);
        FUZZ_CHECK(unit.barcodes == before.barcodes && unit.parameters() == before.parameters());
        FUZZ_CHECK(unit.clock == before.clock);
        return;
    }
    const bool clears = kind == Command::ClearBarcodes || kind == Command::SetDefaults;
    FUZZ_CHECK(clears ? unit.barcodes.empty() : unit.barcodes == before.barcodes);
    if (kind != Command::DownloadParameters && kind != Command::SetDefaults)
        FUZZ_CHECK(unit.parameters() == before.parameters());
    if (kind != Command::SetTime) FUZZ_CHECK(unit.clock == before.clock);
    if (kind == Command::Interrogate) FUZZ_CHECK(unit.sessionOpen());
    if (kind == Command::PowerDown) FUZZ_CHECK(!unit.sessionOpen());
    if (kind == Command::UploadBarcodes) {
        FUZZ_CHECK(Bytes(frame.fixed) == Bytes(unit.serialNumber.begin(), unit.serialNumber.end()));
        FUZZ_CHECK(frame.strings.size() == unit.barcodes.size());
        for (size_t i = 0; i < frame.strings.size(); ++i)
            FUZZ_CHECK(frame.strings[i] == unit.barcodeRecord(unit.barcodes[i]));
    }
    if (kind == Command::DownloadParameters) {
        // Every parameter the answer reports as stored holds its new value; no other changed.
        Frame sent;
        FUZZ_CHECK(parseFrame(command, 0, Sender::Host, sent) == ParseResult::Complete);
        FUZZ_CHECK(frame.strings.size() == sent.strings.size());
        for (const auto& [code, value] : unit.parameters()) {
            if (before.parameter(code) == value) continue;
            bool stored = false;
            for (size_t i = 0; i < sent.strings.size(); ++i)
                stored |= sent.strings[i].size() == 2 && sent.strings[i][0] == code &&
                          frame.strings[i] == Bytes{code, 1};
            FUZZ_CHECK(stored);
        }
    }
}

void stateSurvivesTheStateFile(const Device& unit) {
    const std::string text = writeUnitFile(unit);
    Device loaded;
    std::string error;
    FUZZ_CHECK(readUnitFile(text, loaded, error));
    FUZZ_CHECK(loaded.serialNumber == unit.serialNumber);
    FUZZ_CHECK(loaded.softwareVersion == unit.softwareVersion);
    FUZZ_CHECK(loaded.barcodes == unit.barcodes);
    FUZZ_CHECK(loaded.parameters() == unit.parameters());
    FUZZ_CHECK(loaded.clock == unit.clock && loaded.clockLost == unit.clockLost);
    FUZZ_CHECK(loaded.lowBattery == unit.lowBattery && loaded.connected == unit.connected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    Device unit;
    setUp(unit, input);
    CommandReader reader;
    while (!input.empty()) {
        const std::string piece = input.text();
        reader.add(std::span(reinterpret_cast<const uint8_t*>(piece.data()), piece.size()));
        while (const auto command = reader.next()) {
            FUZZ_CHECK(command->size() <= kMaxCommandBytes);
            answersWell(unit, *command);
        }
        // What is left could still become a command: it starts like one.
        FUZZ_CHECK(reader.pending().empty() ||
                   bytesStillNeeded(reader.pending(), 0, Sender::Host) > 0);
    }
    stateSurvivesTheStateFile(unit);
    return 0;
}
