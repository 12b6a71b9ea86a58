#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>

// The byte line between the scanner library and a unit: a serial port, or an in-memory pipe
// for tests. Time is the line's own, so a pipe can let waiting cost nothing.
class Transport {
  public:
    using Clock = std::chrono::steady_clock;

    virtual ~Transport() = default;

    // Sends all bytes; false when the port failed.
    virtual bool write(std::span<const uint8_t> bytes) = 0;
    // Takes up to out.size() bytes that have arrived, waiting until `deadline` for the
    // first one. 0 = nothing by the deadline; negative = the port failed.
    virtual int read(std::span<uint8_t> out, Clock::time_point deadline) = 0;
    // Drives the unit's wake line. False when the line cannot be driven (a pseudo-terminal
    // has no modem lines).
    virtual bool setDtr(bool high) = 0;
    // Throws away whatever has arrived and was not read yet.
    virtual void discardInput() = 0;
    virtual void wait(std::chrono::milliseconds duration) = 0;
    virtual Clock::time_point now() = 0;
};

// Opens the port of an index 0-15 (COM1-COM16).
class PortOpener {
  public:
    virtual ~PortOpener() = default;
    // nullptr when the port cannot be opened.
    virtual std::unique_ptr<Transport> open(int portIndex) = 0;
};
