#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "scanner/cs1504_codec.h"
#include "scanner/transport.h"

namespace cs1504 {

using std::chrono::milliseconds;

// The unit's timing as working hosts meet it, with the retry bounds that keep a silent or
// noisy line from blocking the program for long.
struct LinkTiming {
    milliseconds dtrLow{175};               // wake-up: DTR low ...
    milliseconds wakeSettle{100};           // ... then high for this long before Interrogate
    milliseconds interrogateInterval{200};  // the unit may miss Interrogate while waking
    int interrogateTries = 10;              // a silent unit fails after about 2 s
    milliseconds responseStart{2000};       // the unit starts answering within 2 s
    milliseconds characterGap{100};         // it sends a response without pauses (< 20 ms)
    int commandTries = 3;
    milliseconds sessionIdle{15000};  // the unit ends an idle session after about 20 s
    milliseconds absentMemory{3000};  // after a failed wake-up, fail at once for so long
    milliseconds drainLimit{8000};    // the longest response takes about 7 s on the wire
};

// How an exchange ended.
enum class Outcome {
    Answered,     // a good response, `frame` holds it
    Unsupported,  // the unit does not know the command
    UnitError,    // the unit reported a CRC, character or general error every time
    Garbled,      // what came back did not survive the line
    NoAnswer,
    PortFailed,
};

struct Reply {
    Reply(Outcome outcome = Outcome::NoAnswer) : outcome(outcome) {}
    Outcome outcome;
    Frame frame;
    bool answered() const { return outcome == Outcome::Answered; }
};

// What a unit tells about itself when interrogated.
struct UnitInfo {
    uint8_t protocolVersion = 0;
    uint8_t systemStatus = 0;
    std::array<uint8_t, 8> serialNumber{};
    std::string softwareVersion;
};

// Sees the bytes of a response that have arrived so far, after each read.
using ReceiveObserver = std::function<void(std::span<const uint8_t> received)>;

// Reads one response to `command` from `transport`, taking exactly as many bytes as the
// lengths in it announce. `observer`, when given, sees the bytes after each read; the time
// it takes does not count against the gap between two characters.
Reply readResponse(Transport& transport, Command command, Transport::Clock::time_point firstByte,
                   milliseconds characterGap, const ReceiveObserver& observer = {});

// A session with one unit on one line: wake-up, Interrogate, commands with bounded retries,
// power down. It remembers whether the unit is awake so that consecutive operations share
// one wake-up.
class Session {
  public:
    using Check = std::function<bool(const Frame&)>;

    Session(Transport& transport, const LinkTiming& timing);

    bool isOpen();
    // Wakes the unit and interrogates it, unless a session is open already.
    bool open();
    // Sends `command` in an open session (opening one first), resending it when the answer
    // is lost, garbled, a reported line error, or fails `check`.
    Reply exchange(Command command, const std::vector<Bytes>& strings = {},
                   const Check& check = {});
    // Ends an open session; the unit goes to sleep.
    void powerDown();
    // Treats the unit as asleep and unknown, so the next operation starts afresh.
    void forget();
    // Sees the bytes of the responses to `command` as they arrive (those of a resent command
    // again from the first); none when empty.
    void setReceiveObserver(Command command, ReceiveObserver observer) {
        observed_ = command;
        observer_ = std::move(observer);
    }
    const UnitInfo& unit() const { return unit_; }
    // Hears each answer that counts: an Interrogate answered, an exchange's answer that
    // passed its check.
    void setAnswerObserver(std::function<void()> observer) { answered_ = std::move(observer); }

  private:
    void wakeUp();
    bool interrogateOnce();
    Reply sendOnce(const Bytes& command, Command kind, milliseconds responseStart);
    void drain();
    void noteActivity();

    Transport& transport_;
    LinkTiming timing_;
    UnitInfo unit_;
    Command observed_ = Command::UploadBarcodes;
    ReceiveObserver observer_;
    std::function<void()> answered_;
    bool open_ = false;
    bool dtrHigh_ = true;  // a port comes up with DTR raised
    Transport::Clock::time_point lastActivity_{};
    Transport::Clock::time_point absentUntil_{};
};

}  // namespace cs1504
