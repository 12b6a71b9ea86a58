#include "testing/memory_transport.h"

#include <algorithm>
#include <deque>

namespace {

using namespace std::chrono_literals;

// How long the unit stays awake without a command, and how long a DTR drop resets it.
constexpr auto unitIdleTimeout = 20s;
constexpr auto dtrResetTime = 1s;

class MemoryTransport final : public Transport {
  public:
    explicit MemoryTransport(MemoryLine& line) : line_(line) {
        ++line_.opens;
        ++line_.openTransports;
        lastCommandAt_ = line_.now;
    }
    ~MemoryTransport() override { --line_.openTransports; }

    bool write(std::span<const uint8_t> bytes) override {
        cs1504::Bytes command(bytes.begin(), bytes.end());
        line_.commands.push_back(command);
        line_.commandTimes.push_back(line_.now);
        if (line_.now - lastCommandAt_ > unitIdleTimeout) line_.device.endSession();
        lastCommandAt_ = line_.now;
        if (line_.commandsToLose > 0) {
            --line_.commandsToLose;
            return true;
        }
        if (line_.commandsToGarble > 0 && !command.empty()) {
            --line_.commandsToGarble;
            command[command.size() / 2] ^= 0x20;
        }
        deliver(line_.device.respond(command));
        return true;
    }

    int read(std::span<uint8_t> out, Clock::time_point deadline) override {
        if (received_.empty()) {
            line_.now = std::max(line_.now, deadline);
            return 0;
        }
        const size_t count = std::min(out.size(), received_.size());
        std::copy_n(received_.begin(), count, out.begin());
        received_.erase(received_.begin(), received_.begin() + static_cast<long>(count));
        return static_cast<int>(count);
    }

    bool setDtr(bool high) override {
        if (!line_.modemLines) return false;
        if (!high && dtr_) dtrLowSince_ = line_.now;
        if (high && !dtr_) {
            ++line_.wakeUps;
            if (line_.now - dtrLowSince_ > dtrResetTime) line_.device.endSession();
        }
        dtr_ = high;
        return true;
    }

    void discardInput() override { received_.clear(); }
    void wait(std::chrono::milliseconds duration) override { line_.now += duration; }
    Clock::time_point now() override { return line_.now; }

  private:
    void deliver(cs1504::Bytes answer) {
        if (answer.empty()) return;
        if (line_.answersToGarble > 0) {
            --line_.answersToGarble;
            answer[answer.size() / 2] ^= 0x20;
        }
        if (line_.answersToCut > 0) {
            --line_.answersToCut;
            answer.resize(answer.size() / 2);
        }
        received_.insert(received_.end(), answer.begin(), answer.end());
    }

    MemoryLine& line_;
    std::deque<uint8_t> received_;
    bool dtr_ = true;  // a port comes up with DTR raised
    Clock::time_point dtrLowSince_{};
    Clock::time_point lastCommandAt_{};
};

class MemoryPortOpener final : public PortOpener {
  public:
    explicit MemoryPortOpener(MemoryLine& line) : line_(line) {}
    std::unique_ptr<Transport> open(int) override {
        if (!line_.portAvailable) return nullptr;
        return std::make_unique<MemoryTransport>(line_);
    }

  private:
    MemoryLine& line_;
};

// An opener with a line of its own, for callers that only need the unit.
class OwningMemoryPortOpener final : public PortOpener {
  public:
    explicit OwningMemoryPortOpener(cs1504::Device& device) : line_(device), opener_(line_) {}
    std::unique_ptr<Transport> open(int portIndex) override { return opener_.open(portIndex); }

  private:
    MemoryLine line_;
    MemoryPortOpener opener_;
};

}  // namespace

std::unique_ptr<PortOpener> memoryPortOpener(cs1504::Device& device) {
    return std::make_unique<OwningMemoryPortOpener>(device);
}

std::unique_ptr<PortOpener> memoryPortOpener(MemoryLine& line) {
    return std::make_unique<MemoryPortOpener>(line);
}
