#include "testing/cs1504_device.h"

#include <algorithm>

namespace cs1504 {

namespace {

constexpr uint8_t kProtocolVersion = 1;
constexpr uint8_t kRefusedField = kClockFieldInvalid;

// The parameters a unit leaves the factory with: the barcode types and switches the
// program offers, plus a few the unit keeps for itself.
const std::map<uint8_t, uint8_t> factoryParameters = {
    {2, 1},  {4, 0},  {8, 1},  {15, 0}, {16, 0}, {21, 0}, {22, 0}, {31, 1}, {34, 30}, {35, 1},
    {42, 0}, {45, 0}, {46, 0}, {52, 1}, {54, 0}, {57, 0}, {58, 1}, {64, 0}, {65, 0},
};

// Fields of the set-time body: seconds, minutes, hours, day, month, year of century.
constexpr std::array<std::pair<uint8_t, uint8_t>, 6> clockFieldRanges = {
    {{0, 59}, {0, 59}, {0, 23}, {1, 31}, {1, 12}, {0, 99}}};

Bytes statusOnly(uint8_t status) {
    return Bytes{status};
}

bool crcMatches(const std::vector<uint8_t>& frame) {
    if (frame.size() < 3) return false;
    const size_t crcAt = frame.size() - 2;
    const uint16_t sent = static_cast<uint16_t>(frame[crcAt] << 8 | frame[crcAt + 1]);
    return crc16(std::span(frame).first(crcAt)) == sent;
}

}  // namespace

Device::Device()
    : serialNumber{0x00, 0x1A, 0xFF, 0x07, 0x5C, 0x10, 0x42, 0x0B},
      softwareVersion("CS1504A1"),
      clock{0, 0, 0, 1, 1, 0},
      parameters_(factoryParameters) {}

void Device::setParameter(uint8_t code, uint8_t value) {
    parameters_[code] = value;
}

uint8_t Device::parameter(uint8_t code) const {
    const auto found = parameters_.find(code);
    return found == parameters_.end() ? 0 : found->second;
}

bool Device::knowsParameter(uint8_t code) const {
    return parameters_.count(code) != 0;
}

void Device::restoreFactoryParameters() {
    parameters_ = factoryParameters;
}

bool Device::timeStampsOn() const {
    return parameter(parameter::StoreTimeStamps) != 0;
}

size_t Device::maxBarcodeLength() const {
    return parameter(parameter::MaxBarcodeLength) == 15 ? 15 : 30;
}

std::vector<uint8_t> Device::respond(const std::vector<uint8_t>& command) {
    if (!connected || command.empty()) return {};
    // Asleep, the unit listens for nothing but Interrogate.
    const bool interrogate = command[0] == static_cast<uint8_t>(Command::Interrogate);
    if (!sessionOpen_ && !interrogate) return {};
    if (!crcMatches(command)) return statusOnly(status::CrcError);
    Frame frame;
    if (parseFrame(command, 0, Sender::Host, frame) != ParseResult::Complete)
        return statusOnly(status::GeneralError);
    return answer(frame);
}

Bytes Device::answer(const Frame& command) {
    switch (static_cast<Command>(command.head)) {
        case Command::Interrogate:
            return interrogate();
        case Command::ClearBarcodes:
            return clearBarcodes();
        case Command::DownloadParameters:
            return downloadParameters(command);
        case Command::SetDefaults:
            return setDefaults();
        case Command::PowerDown:
            return powerDown();
        case Command::UploadBarcodes:
            return uploadBarcodes();
        case Command::UploadParameters:
            return uploadParameters(command);
        case Command::SetTime:
            return setTime(command);
        case Command::GetTime:
            return getTime();
    }
    return statusOnly(status::Unsupported);
}

Bytes Device::interrogate() {
    sessionOpen_ = true;
    Bytes fixed;
    fixed.reserve(responseFixedLength(Command::Interrogate));
    fixed.push_back(kProtocolVersion);
    fixed.push_back(lowBattery ? kSystemLowBattery : kSystemOk);
    fixed.insert(fixed.end(), serialNumber.begin(), serialNumber.end());
    std::string version = softwareVersion;
    version.resize(8, ' ');
    fixed.insert(fixed.end(), version.begin(), version.end());
    return buildResponse(fixed);
}

Bytes Device::clearBarcodes() {
    barcodes.clear();
    return buildResponse({});
}

// Parameters that decide how barcodes are stored can only change on an empty unit.
bool Device::parameterLocked(uint8_t code) const {
    static constexpr std::array<uint8_t, 5> storageParameters = {
        16, 21, 22, parameter::MaxBarcodeLength, parameter::StoreTimeStamps};
    return !barcodes.empty() && std::find(storageParameters.begin(), storageParameters.end(),
                                          code) != storageParameters.end();
}

Bytes Device::downloadParameters(const Frame& command) {
    std::vector<Bytes> results;
    for (const Bytes& entry : command.strings) {
        const uint8_t code = entry.empty() ? 0 : entry[0];
        const bool stored = entry.size() == 2 && knowsParameter(code) && !parameterLocked(code);
        if (stored) parameters_[code] = entry[1];
        results.push_back({code, static_cast<uint8_t>(stored ? 1 : 0)});
    }
    return buildResponse({}, results);
}

Bytes Device::setDefaults() {
    restoreFactoryParameters();
    barcodes.clear();
    return buildResponse({}, {{0x01, 0x01}});
}

Bytes Device::powerDown() {
    sessionOpen_ = false;
    return buildResponse({});
}

Bytes Device::barcodeRecord(const StoredBarcode& barcode) const {
    Bytes record;
    record.reserve(1 + barcode.data.size() + 4);
    record.push_back(barcode.codeType);
    record.insert(record.end(), barcode.data.begin(), barcode.data.end());
    if (timeStampsOn()) {
        const auto stamp = timeStampBytes(barcode.stamp);
        record.insert(record.end(), stamp.begin(), stamp.end());
    }
    return record;
}

Bytes Device::uploadBarcodes() {
    std::vector<Bytes> records;
    for (const StoredBarcode& barcode : barcodes) records.push_back(barcodeRecord(barcode));
    return buildResponse(serialNumber, records);
}

size_t Device::uploadResponseSize() const {
    size_t size = 2 + serialNumber.size() + 3;
    for (const StoredBarcode& barcode : barcodes) size += 1 + barcodeRecord(barcode).size();
    return size;
}

Bytes Device::uploadParameters(const Frame& command) {
    std::vector<Bytes> values;
    for (const Bytes& list : command.strings) {
        for (uint8_t code : list) {
            if (knowsParameter(code))
                values.push_back({code, parameter(code)});
            else
                values.push_back({code});
        }
    }
    return buildResponse({}, values);
}

Bytes Device::setTime(const Frame& command) {
    if (command.strings.empty() || command.strings[0].size() != clock.size())
        return buildResponse({}, {{kRefusedField}});
    Bytes echo = command.strings[0];
    bool valid = true;
    for (size_t i = 0; i < echo.size(); ++i) {
        const auto [low, high] = clockFieldRanges[i];
        if (echo[i] < low || echo[i] > high) {
            echo[i] = kRefusedField;
            valid = false;
        }
    }
    if (valid) {
        std::copy(echo.begin(), echo.end(), clock.begin());
        clockLost = false;
    }
    return buildResponse({}, {echo});
}

Bytes Device::getTime() {
    Bytes time(clock.begin(), clock.end());
    if (clockLost) time[0] = kRefusedField;
    return buildResponse({}, {time});
}

uint32_t Device::clockStamp() const {
    return packTimeStamp(2000 + clock[5], clock[4], clock[3], clock[2], clock[1], clock[0]);
}

void Device::loseClock() {
    clock = {0, 0, 0, 1, 1, 0};
    clockLost = true;
}

bool Device::scan(uint8_t codeType, const std::string& data) {
    StoredBarcode barcode{codeType, data.substr(0, maxBarcodeLength()), clockStamp()};
    if (uploadResponseSize() + 1 + barcodeRecord(barcode).size() > kMaxResponseBytes) return false;
    barcodes.push_back(std::move(barcode));
    return true;
}

void CommandReader::add(std::span<const uint8_t> bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
}

std::optional<Bytes> CommandReader::next(Bytes* skipped) {
    while (!pending_.empty()) {
        const long needed = bytesStillNeeded(pending_, 0, Sender::Host);
        if (needed == kMalformed) {
            if (skipped) skipped->push_back(pending_.front());
            pending_.erase(pending_.begin());
            continue;
        }
        if (needed > 0) return std::nullopt;
        const auto size = static_cast<long>(completeFrameSize(pending_, 0, Sender::Host));
        Bytes command(pending_.begin(), pending_.begin() + size);
        pending_.erase(pending_.begin(), pending_.begin() + size);
        return command;
    }
    return std::nullopt;
}

}  // namespace cs1504
