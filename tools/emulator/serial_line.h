#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Bytes lost or changed on the line, at given rates, from a seeded generator so that a run
// can be repeated.
class LineFaults {
  public:
    LineFaults(double dropRate, double flipRate, unsigned seed);
    // Returns the bytes as the other end receives them.
    std::vector<uint8_t> apply(const std::vector<uint8_t>& bytes);
    bool any() const { return dropRate_ > 0 || flipRate_ > 0; }

  private:
    double dropRate_;
    double flipRate_;
    std::mt19937 random_;
};

// The unit's end of a serial line: a fresh pseudo-terminal or a given device, paced like
// 9600 baud 8O1 (11 bits a byte) in both directions unless fast.
class SerialLine {
  public:
    using Clock = std::chrono::steady_clock;

    SerialLine(bool fast, LineFaults faults, const std::atomic<bool>& stop);
    ~SerialLine();
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Creates a pseudo-terminal; `path` receives the name of the end the host opens.
    bool openPseudoTerminal(std::string& path, std::string& error);
    bool openDevice(const std::string& path, std::string& error);

    // Bytes that arrived within `timeout` (none on time-out or stop).
    std::vector<uint8_t> receive(std::chrono::milliseconds timeout);
    // When the last byte received so far has fully arrived on a 9600 baud line.
    Clock::time_point inboundEnd() const { return inboundEnd_; }
    // Sends the first `count` bytes (all when count exceeds the size) from `start` on at
    // line pace. False when stopped or the line failed.
    bool send(const std::vector<uint8_t>& bytes, size_t count, Clock::time_point start);

  private:
    bool sleepUntil(Clock::time_point when);

    bool fast_;
    LineFaults faults_;
    const std::atomic<bool>& stop_;
    int fd_ = -1;
    int keepOpen_ = -1;  // our own hold on the host's end, so its closing is no hang-up
    Clock::time_point inboundEnd_{};
};
