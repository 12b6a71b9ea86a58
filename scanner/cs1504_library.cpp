#include "scanner/cs1504_library.h"

#include <algorithm>
#include <cstring>

using cs1504::Bytes;
using cs1504::Command;
using cs1504::Frame;
using cs1504::Outcome;
using cs1504::Reply;
using namespace scanner_result;

namespace {

constexpr int32_t kPortCount = 16;
constexpr size_t kSerialNumberSize = 8;
constexpr size_t kClockSize = 6;

// Marks the library busy for the lifetime of the object.
class BusyWhile {
  public:
    explicit BusyWhile(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyWhile() { busy_ = false; }
    BusyWhile(const BusyWhile&) = delete;
    BusyWhile& operator=(const BusyWhile&) = delete;

  private:
    bool& busy_;
};

bool isParameterCode(int32_t code) {
    return code >= 0 && code <= 255;
}

// A one-string answer whose string starts with `code`: the reply about that parameter.
bool answersParameter(const Frame& frame, int32_t code) {
    return frame.strings.size() == 1 && !frame.strings[0].empty() &&
           frame.strings[0][0] == static_cast<uint8_t>(code);
}

// The unit drops what it is doing when DTR stays low for more than about a second.
constexpr std::chrono::milliseconds kAbortDtrLow{1100};

}  // namespace

// The line as the library uses it: while a reading is watched, it gives up at the next read
// or wait once the watch says so, and it lets the caller's wait handler run about every
// 50 ms of waiting.
class Cs1504Library::WatchedLine final : public Transport {
  public:
    WatchedLine(std::unique_ptr<Transport> line, Cs1504Library& library)
        : line_(std::move(line)), library_(library) {}

    bool write(std::span<const uint8_t> bytes) override { return !halted() && line_->write(bytes); }
    int read(std::span<uint8_t> out, Clock::time_point deadline) override {
        for (;;) {
            if (halted()) return -1;
            const int got = line_->read(out, std::min(deadline, line_->now() + kSlice));
            if (got != 0 || line_->now() >= deadline) return got;
            library_.reportWaiting();
        }
    }
    bool setDtr(bool high) override { return line_->setDtr(high); }
    void discardInput() override { line_->discardInput(); }
    void wait(std::chrono::milliseconds duration) override {
        const auto end = line_->now() + duration;
        while (!halted() && line_->now() < end) {
            line_->wait(
                std::min(kSlice, std::chrono::ceil<std::chrono::milliseconds>(end - line_->now())));
            if (line_->now() < end) library_.reportWaiting();
        }
    }
    Clock::time_point now() override { return line_->now(); }

  private:
    static constexpr std::chrono::milliseconds kSlice{50};
    bool halted() { return library_.stop_.halted(line_->now()); }
    std::unique_ptr<Transport> line_;
    Cs1504Library& library_;
};

bool Cs1504Library::Watch::halted(Transport::Clock::time_point now) {
    if (!active) return false;
    if (reason == ReadingStop::None && cancelled) reason = ReadingStop::Cancelled;
    if (reason == ReadingStop::None && stallLimit.count() > 0 && now - lastProgress > stallLimit)
        reason = ReadingStop::Stalled;
    return reason != ReadingStop::None;
}

void Cs1504Library::WatchReading(std::chrono::milliseconds stallLimit) {
    stop_ = Watch{};
    stop_.active = true;
    stop_.stallLimit = stallLimit;
    stop_.lastProgress = transport_ ? transport_->now() : Transport::Clock::now();
}

void Cs1504Library::CancelReading() {
    if (stop_.active) stop_.cancelled = true;
}

void Cs1504Library::EndWatch() {
    const bool stopped = stop_.reason != ReadingStop::None;
    const ReadingStop reason = stop_.reason;
    stop_ = Watch{};
    if (!stopped || !session_ || busy_) return;
    // In the middle of an answer the unit hears nothing: DTR low makes it drop it (a line
    // without modem lines cannot), then a fresh session sends it to sleep.
    if (transport_->setDtr(false)) {
        transport_->wait(kAbortDtrLow);
        transport_->setDtr(true);
    }
    transport_->discardInput();
    session_->forget();
    upload_.reset();
    if (session_->open()) session_->powerDown();
    // Why the watch stopped stays readable until the next one.
    stop_.reason = reason;
}

Cs1504Library::Cs1504Library(std::unique_ptr<PortOpener> opener, cs1504::LinkTiming timing)
    : opener_(std::move(opener)), timing_(timing) {}

// No goodbye to the unit here: at exit the line may be gone; an awake unit sleeps on its own.
Cs1504Library::~Cs1504Library() {
    session_.reset();
    transport_.reset();
}

int32_t Cs1504Library::ResetScannerLink() {
    if (busy_) return Busy;
    if (session_) session_->forget();
    upload_.reset();
    return Ok;
}

int32_t Cs1504Library::OpenScannerPort(int32_t portIndex) {
    if (busy_) return Busy;
    if (portIndex < 0 || portIndex >= kPortCount) return BadArgument;
    if (transport_ && openPort_ == portIndex) return Ok;
    closePort();
    auto line = opener_->open(portIndex);
    if (!line) return OpenFailed;
    transport_ = std::make_unique<WatchedLine>(std::move(line), *this);
    session_ = std::make_unique<cs1504::Session>(*transport_, timing_);
    session_->setAnswerObserver([this] { stop_.progressed(transport_->now()); });
    openPort_ = portIndex;
    return Ok;
}

int32_t Cs1504Library::CloseScannerPort() {
    if (busy_) return Busy;
    if (!transport_) return PortClosed;
    closePort();
    return Ok;
}

void Cs1504Library::closePort() {
    if (session_) session_->powerDown();
    session_.reset();
    transport_.reset();
    openPort_ = -1;
    upload_.reset();
}

int32_t Cs1504Library::EndScannerExchange() {
    if (busy_) return Busy;
    if (!session_) return PortClosed;
    session_->powerDown();
    return Ok;
}

int32_t Cs1504Library::CountStoredBarcodes() {
    if (busy_) return Busy;
    if (!session_) return PortClosed;
    if (!upload()) return NoUnit;
    return static_cast<int32_t>(upload_->packets.size());
}

// Reads every stored barcode in one exchange and puts the unit back to sleep: the program
// fetches the packets from here and needs the unit for nothing else in this reception. The
// progress goes out as the bytes arrive, and once more when all are in.
bool Cs1504Library::upload() {
    const BusyWhile busy(busy_);
    upload_.reset();
    UploadProgress progress{0, static_cast<int>(cs1504::kMaxResponseBytes), 0, false};
    session_->setReceiveObserver(Command::UploadBarcodes, [&](std::span<const uint8_t> received) {
        progress.bytes = static_cast<int>(received.size());
        // Bytes beyond the most an upload brought so far (a resent one starts again from
        // the first) are progress.
        if (received.size() > stop_.uploadBytes) {
            stop_.uploadBytes = received.size();
            stop_.progressed(transport_->now());
        }
        progress.barcodes =
            static_cast<int>(cs1504::wholeCountedStrings(received, kSerialNumberSize));
        reportUploadProgress(progress);
    });
    const Reply reply = session_->exchange(Command::UploadBarcodes, {}, [](const Frame& frame) {
        return frame.fixed.size() == kSerialNumberSize;
    });
    session_->setReceiveObserver(Command::UploadBarcodes, {});
    if (!reply.answered()) return false;
    Upload upload;
    std::copy_n(reply.frame.fixed.begin(), kSerialNumberSize, upload.serialNumber.begin());
    for (const Bytes& record : reply.frame.strings) {
        Bytes packet;
        packet.reserve(1 + record.size());
        packet.push_back(static_cast<uint8_t>(record.size()));
        packet.insert(packet.end(), record.begin(), record.end());
        upload.packets.push_back(std::move(packet));
    }
    progress.barcodes = static_cast<int>(upload.packets.size());
    progress.done = true;
    upload_ = std::move(upload);
    session_->powerDown();
    reportUploadProgress(progress);
    return true;
}

int32_t Cs1504Library::FetchBarcode(uint8_t* buffer, int32_t index, int32_t capacity) {
    if (busy_) return Busy;
    if (!session_) return PortClosed;
    if (!buffer || index < 0) return BadArgument;
    if (!upload_ && !upload()) return NoUnit;
    if (static_cast<size_t>(index) >= upload_->packets.size()) return BadArgument;
    const Bytes& packet = upload_->packets[static_cast<size_t>(index)];
    // A packet cut to fit would hand on a wrong barcode or time stamp.
    if (capacity < 0 || packet.size() > static_cast<size_t>(capacity)) return BadArgument;
    std::copy(packet.begin(), packet.end(), buffer);
    return static_cast<int32_t>(packet.size());
}

int32_t Cs1504Library::EraseStoredBarcodes() {
    if (busy_) return Busy;
    if (!session_) return PortClosed;
    upload_.reset();
    const Reply reply = session_->exchange(
        Command::ClearBarcodes, {}, [](const Frame& frame) { return frame.strings.empty(); });
    if (!reply.answered()) return failure(reply);
    session_->powerDown();
    return Ok;
}

int32_t Cs1504Library::ReadSerialNumber(uint8_t* buffer, int32_t capacity) {
    if (busy_) return Busy;
    if (!session_) return PortClosed;
    if (!buffer || capacity < static_cast<int32_t>(kSerialNumberSize)) return BadArgument;
    if (upload_) {
        std::copy(upload_->serialNumber.begin(), upload_->serialNumber.end(), buffer);
        return Ok;
    }
    if (!session_->open()) return NoUnit;
    const auto& serialNumber = session_->unit().serialNumber;
    std::copy(serialNumber.begin(), serialNumber.end(), buffer);
    return Ok;
}

int32_t Cs1504Library::ReadParameter(int32_t code, uint8_t* buffer, int32_t capacity) {
    if (busy_) return Busy;
    if (!session_) return PortClosed;
    if (!isParameterCode(code) || !buffer || capacity < 1) return BadArgument;
    const Bytes list{static_cast<uint8_t>(code)};
    const Reply reply =
        session_->exchange(Command::UploadParameters, {list},
                           [code](const Frame& f) { return answersParameter(f, code); });
    if (!reply.answered()) return failure(reply);
    const Bytes& entry = reply.frame.strings[0];
    if (entry.size() != 2) return Refused;  // the unit does not know the parameter
    buffer[0] = entry[1];
    return Ok;
}

int32_t Cs1504Library::WriteParameter(int32_t code, const uint8_t* value, int32_t length) {
    if (busy_) return Busy;
    if (!session_) return PortClosed;
    if (!isParameterCode(code) || !value || length != 1) return BadArgument;
    const Bytes entry{static_cast<uint8_t>(code), value[0]};
    const Reply reply = session_->exchange(
        Command::DownloadParameters, {entry},
        [code](const Frame& f) { return answersParameter(f, code) && f.strings[0].size() == 2; });
    if (!reply.answered()) return failure(reply);
    return reply.frame.strings[0][1] == 1 ? Ok : Refused;
}

int32_t Cs1504Library::RestoreFactoryDefaults() {
    if (busy_) return Busy;
    if (!session_) return PortClosed;
    upload_.reset();
    const Reply reply = session_->exchange(Command::SetDefaults, {{0x01}},
                                           [](const Frame& f) { return f.strings.size() == 1; });
    return reply.answered() ? Ok : failure(reply);
}

int32_t Cs1504Library::WriteScannerClock(const uint8_t* clock) {
    if (busy_) return Busy;
    if (!session_) return PortClosed;
    if (!clock) return BadArgument;
    const Bytes time(clock, clock + kClockSize);
    const Reply reply = session_->exchange(Command::SetTime, {time}, [](const Frame& f) {
        return f.strings.size() == 1 &&
               (f.strings[0].size() == kClockSize || f.strings[0].size() == 1);
    });
    if (!reply.answered()) return failure(reply);
    // A field the unit finds out of range comes back as FF, and nothing was set.
    return reply.frame.strings[0] == time ? Ok : Refused;
}

int32_t Cs1504Library::FormatTimeStamp(const uint8_t* stamp, char* text, int32_t capacity) {
    if (!stamp || !text || capacity <= 0) return BadArgument;
    const std::string formatted = cs1504::timeStampText(cs1504::timeStampFromBytes(stamp));
    // A text cut to fit would be read as another time; the buffer stays as it was.
    if (formatted.size() >= static_cast<size_t>(capacity)) return BadArgument;
    std::memcpy(text, formatted.c_str(), formatted.size() + 1);
    return Ok;
}

int32_t Cs1504Library::readUnitInfo(cs1504::UnitInfo& info) {
    if (busy_) return Busy;
    if (!session_) return PortClosed;
    if (!session_->open()) return NoUnit;
    info = session_->unit();
    return Ok;
}

int32_t Cs1504Library::readScannerClock(uint8_t* clock) {
    if (busy_) return Busy;
    if (!session_) return PortClosed;
    if (!clock) return BadArgument;
    const Reply reply = session_->exchange(Command::GetTime, {}, [](const Frame& f) {
        return f.strings.size() == 1 && f.strings[0].size() == kClockSize;
    });
    if (!reply.answered()) return failure(reply);
    std::copy(reply.frame.strings[0].begin(), reply.frame.strings[0].end(), clock);
    return Ok;
}

UnitHealth Cs1504Library::ReadUnitHealth() {
    UnitHealth health;
    cs1504::UnitInfo unit;
    std::array<uint8_t, kClockSize> clock{};
    if (readUnitInfo(unit) != Ok || readScannerClock(clock.data()) != Ok) return health;
    health.known = true;
    health.lowBattery = unit.systemStatus == cs1504::kSystemLowBattery;
    health.clockLost = clock[0] == cs1504::kClockFieldInvalid;
    return health;
}

int32_t Cs1504Library::failure(const Reply& reply) const {
    return reply.outcome == Outcome::Unsupported ? Refused : NoUnit;
}
