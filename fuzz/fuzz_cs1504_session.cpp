// The scanner library over a line whose unit answers whatever the input says: raw bytes,
// answers cut, garbled or in pieces, silence, a failing port. Every operation must end
// within its retry bounds, report a result it documents, leave the caller's buffer as it
// was when it fails, and hand on exactly what the unit's accepted answer held.
#include <algorithm>
#include <array>
#include <chrono>
#include <deque>
#include <optional>

#include "fuzz/fuzz_support.h"
#include "scanner/cs1504_codec.h"
#include "scanner/cs1504_library.h"

using namespace cs1504;
using namespace std::chrono_literals;

namespace {

// What the line saw of the last answer to each kind of command.
struct LineRecord {
    int commands = 0;
    std::optional<Bytes> lastAnswer[16];
};

// A unit that answers from the fuzz input.
class ScriptedTransport final : public Transport {
  public:
    ScriptedTransport(FuzzInput& input, LineRecord& record) : input_(input), record_(record) {}

    bool write(std::span<const uint8_t> bytes) override {
        ++record_.commands;
        const uint8_t control = input_.byte();
        if (control == 0xFF) return false;  // the port fails
        Bytes command(bytes.begin(), bytes.end());
        Bytes answer = makeAnswer(command, control);
        chunk_ = 1 + input_.pick(64);
        received_.insert(received_.end(), answer.begin(), answer.end());
        record_.lastAnswer[command[0] & 0x0F] = std::move(answer);
        return true;
    }

    int read(std::span<uint8_t> out, Clock::time_point deadline) override {
        if (received_.empty()) {
            now_ = std::max(now_, deadline);
            return 0;
        }
        const size_t count = std::min({out.size(), received_.size(), chunk_});
        std::copy_n(received_.begin(), count, out.begin());
        received_.erase(received_.begin(), received_.begin() + static_cast<long>(count));
        now_ += 1ms;
        return static_cast<int>(count);
    }

    bool setDtr(bool) override { return modemLines_; }
    void discardInput() override { received_.clear(); }
    void wait(std::chrono::milliseconds duration) override { now_ += duration; }
    Clock::time_point now() override { return now_; }

    void setModemLines(bool on) { modemLines_ = on; }

  private:
    // The answer a working unit would give, with parts from the input; or raw bytes.
    Bytes makeAnswer(const Bytes& command, uint8_t control) {
        switch (control % 8) {
            case 0:
                return {};
            case 1:
                return Bytes{input_.byte()};  // a lone status byte
            case 2:
            case 3: {
                const std::string raw = input_.text();
                return Bytes(raw.begin(), raw.end());
            }
            default:
                break;
        }
        const auto kind = static_cast<Command>(command[0]);
        const std::string fixedText = input_.bytes(responseFixedLength(kind));
        Bytes fixed(fixedText.begin(), fixedText.end());
        fixed.resize(responseFixedLength(kind));
        std::vector<Bytes> strings;
        for (unsigned count = input_.pick(control & 0x40 ? 40 : 4); count > 0; --count) {
            const std::string text = input_.text(kMaxCountedString);
            if (!text.empty()) strings.emplace_back(text.begin(), text.end());
        }
        Bytes answer = buildResponse(fixed, strings);
        if (control & 0x08)
            answer[input_.pick(static_cast<unsigned>(answer.size()))] ^= input_.byte();
        if (control & 0x10) answer.resize(input_.pick(static_cast<unsigned>(answer.size())));
        if (control & 0x20) {
            const std::string tail = input_.text(16);
            answer.insert(answer.end(), tail.begin(), tail.end());
        }
        return answer;
    }

    FuzzInput& input_;
    LineRecord& record_;
    std::deque<uint8_t> received_;
    size_t chunk_ = 1;
    bool modemLines_ = true;
    Clock::time_point now_{};
};

class ScriptedOpener final : public PortOpener {
  public:
    ScriptedOpener(FuzzInput& input, LineRecord& record) : input_(input), record_(record) {}
    std::unique_ptr<Transport> open(int) override {
        if (input_.pick(16) == 0) return nullptr;
        auto transport = std::make_unique<ScriptedTransport>(input_, record_);
        transport->setModemLines(input_.flag());
        return transport;
    }

  private:
    FuzzInput& input_;
    LineRecord& record_;
};

constexpr uint8_t kCanary = 0xA5;
constexpr int kBufferSize = 300;

struct Buffer {
    std::array<uint8_t, kBufferSize> bytes;
    Buffer() { bytes.fill(kCanary); }
    // Nothing written from `from` on.
    bool untouchedFrom(size_t from) const {
        return std::all_of(bytes.begin() + static_cast<long>(from), bytes.end(),
                           [](uint8_t b) { return b == kCanary; });
    }
};

// The answer the line delivered for `command`, as far as it is one whole good frame.
std::optional<Frame> acceptedAnswer(const LineRecord& record, Command command) {
    const auto& answer = record.lastAnswer[static_cast<uint8_t>(command) & 0x0F];
    if (!answer) return std::nullopt;
    const size_t fixed = responseFixedLength(command);
    const size_t size = completeFrameSize(*answer, fixed, Sender::Unit);
    if (size == 0) return std::nullopt;
    Frame frame;
    if (parseFrame(std::span(*answer).first(size), fixed, Sender::Unit, frame) !=
        ParseResult::Complete)
        return std::nullopt;
    return frame;
}

bool isResult(int32_t result) {
    using namespace scanner_result;
    return result == Ok || result == Refused || result == NoUnit || result == PortClosed ||
           result == BadArgument || result == OpenFailed;
}

class Run {
  public:
    explicit Run(FuzzInput& input)
        : input_(input), library_(std::make_unique<ScriptedOpener>(input, record_)) {}

    void operation() {
        const int before = record_.commands;
        switch (input_.pick(13)) {
            case 0:
                FUZZ_CHECK(library_.ResetScannerLink() == scanner_result::Ok);
                break;
            case 1:
                open();
                break;
            case 2:
                FUZZ_CHECK(isResult(library_.CloseScannerPort()));
                break;
            case 3:
                FUZZ_CHECK(isResult(library_.EndScannerExchange()));
                break;
            case 4:
                count();
                break;
            case 5:
                fetch();
                break;
            case 6:
                FUZZ_CHECK(isResult(library_.EraseStoredBarcodes()));
                break;
            case 7:
                serialNumber();
                break;
            case 8:
                readParameter();
                break;
            case 9:
                writeParameter();
                break;
            case 10:
                FUZZ_CHECK(isResult(library_.RestoreFactoryDefaults()));
                break;
            case 11:
                writeClock();
                break;
            default:
                formatTimeStamp();
                break;
        }
        // Three attempts, each with a wake-up of up to ten tries, and a goodbye.
        FUZZ_CHECK(record_.commands - before <= 3 * (10 + 1) + 1);
    }

  private:
    void open() {
        const int port = static_cast<int>(input_.pick(20)) - 2;
        const int32_t result = library_.OpenScannerPort(port);
        FUZZ_CHECK(isResult(result));
        if (port < 0 || port > 15) FUZZ_CHECK(result == scanner_result::BadArgument);
    }

    void count() {
        const int32_t result = library_.CountStoredBarcodes();
        if (result < 0) {
            FUZZ_CHECK(isResult(result));
            return;
        }
        // The count is the number of records of the upload answer the line delivered.
        const auto frame = acceptedAnswer(record_, Command::UploadBarcodes);
        FUZZ_CHECK(frame && frame->head == status::Ok && frame->fixed.size() == 8);
        FUZZ_CHECK(frame->strings.size() == static_cast<size_t>(result));
    }

    void fetch() {
        Buffer buffer;
        const int index = static_cast<int>(input_.pick(12)) - 1;
        const int capacity = static_cast<int>(input_.pick(kBufferSize + 1)) - 1;
        const int32_t result = library_.FetchBarcode(buffer.bytes.data(), index, capacity);
        if (result < 0) {
            FUZZ_CHECK(isResult(result));
            FUZZ_CHECK(buffer.untouchedFrom(0));
            return;
        }
        FUZZ_CHECK(result > 0 && result <= capacity && buffer.untouchedFrom(result));
        FUZZ_CHECK(buffer.bytes[0] == result - 1);
        // Whether uploaded now or before, the packets come from the last upload answer: an
        // upload that failed since leaves none to fetch from.
        const auto frame = acceptedAnswer(record_, Command::UploadBarcodes);
        FUZZ_CHECK(frame && static_cast<size_t>(index) < frame->strings.size());
        const Bytes& record = frame->strings[static_cast<size_t>(index)];
        FUZZ_CHECK(record.size() == static_cast<size_t>(result - 1));
        FUZZ_CHECK(std::equal(record.begin(), record.end(), buffer.bytes.begin() + 1));
    }

    void serialNumber() {
        Buffer buffer;
        const int capacity = static_cast<int>(input_.pick(12));
        const int32_t result = library_.ReadSerialNumber(buffer.bytes.data(), capacity);
        FUZZ_CHECK(isResult(result) && result != scanner_result::Refused);
        if (result != scanner_result::Ok) {
            FUZZ_CHECK(buffer.untouchedFrom(0));
            return;
        }
        FUZZ_CHECK(capacity >= 8 && buffer.untouchedFrom(8));
        // From the cached upload, or from the interrogate answer of the session.
        const auto upload = acceptedAnswer(record_, Command::UploadBarcodes);
        const auto interrogate = acceptedAnswer(record_, Command::Interrogate);
        const bool fromUpload =
            upload && std::equal(upload->fixed.begin(), upload->fixed.end(), buffer.bytes.begin());
        const bool fromInterrogate =
            interrogate && interrogate->fixed.size() == 18 &&
            std::equal(interrogate->fixed.begin() + 2, interrogate->fixed.begin() + 10,
                       buffer.bytes.begin());
        FUZZ_CHECK(fromUpload || fromInterrogate);
    }

    void readParameter() {
        Buffer buffer;
        const int code = static_cast<int>(input_.pick(260)) - 2;
        const int capacity = static_cast<int>(input_.pick(3));
        const int32_t result = library_.ReadParameter(code, buffer.bytes.data(), capacity);
        FUZZ_CHECK(isResult(result));
        if (result != scanner_result::Ok) {
            FUZZ_CHECK(buffer.untouchedFrom(0));
            return;
        }
        FUZZ_CHECK(code >= 0 && code <= 255 && capacity >= 1 && buffer.untouchedFrom(1));
        const auto frame = acceptedAnswer(record_, Command::UploadParameters);
        FUZZ_CHECK(frame && frame->strings.size() == 1 && frame->strings[0].size() == 2);
        FUZZ_CHECK(frame->strings[0][0] == code && frame->strings[0][1] == buffer.bytes[0]);
    }

    void writeParameter() {
        const int code = static_cast<int>(input_.pick(260)) - 2;
        const uint8_t value = input_.byte();
        const int length = static_cast<int>(input_.pick(3));
        const int32_t result = library_.WriteParameter(code, &value, length);
        FUZZ_CHECK(isResult(result));
        if (result != scanner_result::Ok) return;
        const auto frame = acceptedAnswer(record_, Command::DownloadParameters);
        FUZZ_CHECK(frame && frame->strings.size() == 1);
        FUZZ_CHECK(frame->strings[0] == (Bytes{static_cast<uint8_t>(code), 1}));
    }

    void writeClock() {
        const std::string clock = input_.bytes(6);
        if (clock.size() != 6) return;
        const int32_t result =
            library_.WriteScannerClock(reinterpret_cast<const uint8_t*>(clock.data()));
        FUZZ_CHECK(isResult(result));
        if (result != scanner_result::Ok) return;
        const auto frame = acceptedAnswer(record_, Command::SetTime);
        FUZZ_CHECK(frame && frame->strings.size() == 1);
        FUZZ_CHECK(frame->strings[0] == Bytes(clock.begin(), clock.end()));
    }

    void formatTimeStamp() {
        const std::string stamp = input_.bytes(4);
        if (stamp.size() != 4) return;
        std::array<char, 40> text;
        text.fill('\x5A');
        const int capacity = static_cast<int>(input_.pick(static_cast<unsigned>(text.size()) + 1));
        const int32_t result = library_.FormatTimeStamp(
            reinterpret_cast<const uint8_t*>(stamp.data()), text.data(), capacity);
        const std::string expected =
            timeStampText(timeStampFromBytes(reinterpret_cast<const uint8_t*>(stamp.data())));
        const auto untouchedFrom = [&text](size_t from) {
            return std::all_of(text.begin() + static_cast<long>(from), text.end(),
                               [](char c) { return c == '\x5A'; });
        };
        if (capacity > static_cast<int>(expected.size())) {
            FUZZ_CHECK(result == scanner_result::Ok);
            FUZZ_CHECK(std::string(text.data()) == expected && untouchedFrom(expected.size() + 1));
        } else {
            // Too small for the whole text: the buffer is left as it was.
            FUZZ_CHECK(result == scanner_result::BadArgument && untouchedFrom(0));
        }
    }

    FuzzInput& input_;
    LineRecord record_;
    Cs1504Library library_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    Run run(input);
    for (int operations = 0; operations < 24 && !input.empty(); ++operations) run.operation();
    return 0;
}
