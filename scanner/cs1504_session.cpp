#include "scanner/cs1504_session.h"

#include <algorithm>

namespace cs1504 {

namespace {

// 9600 baud, 8 data bits, parity and two framing bits: 11 bits a byte.
milliseconds wireTime(size_t bytes) {
    return milliseconds((bytes * 11 * 1000 + 9599) / 9600);
}

Outcome statusOutcome(uint8_t status) {
    switch (status) {
        case status::Unsupported:
            return Outcome::Unsupported;
        case status::CrcError:
        case status::CharacterError:
        case status::GeneralError:
            return Outcome::UnitError;
        default:
            return Outcome::Garbled;
    }
}

bool isInterrogateAnswer(const Frame& frame) {
    return frame.fixed.size() == responseFixedLength(Command::Interrogate) && frame.strings.empty();
}

}  // namespace

Reply readResponse(Transport& transport, Command command, Transport::Clock::time_point firstByte,
                   milliseconds characterGap, const ReceiveObserver& observer) {
    const size_t fixedLength = responseFixedLength(command);
    Bytes received;
    auto deadline = firstByte;
    for (;;) {
        const long needed = bytesStillNeeded(received, fixedLength, Sender::Unit);
        if (needed == kMalformed) return {Outcome::Garbled};
        if (needed == 0) break;
        const size_t before = received.size();
        received.resize(before + static_cast<size_t>(needed));
        const int got = transport.read(std::span(received).subspan(before), deadline);
        if (got < 0) return {Outcome::PortFailed};
        received.resize(before + static_cast<size_t>(got));
        if (got == 0) return {received.empty() ? Outcome::NoAnswer : Outcome::Garbled};
        if (observer) observer(received);
        deadline = transport.now() + characterGap;
    }
    Reply reply;
    if (parseFrame(received, fixedLength, Sender::Unit, reply.frame) != ParseResult::Complete)
        return {Outcome::Garbled};
    reply.outcome =
        reply.frame.head == status::Ok ? Outcome::Answered : statusOutcome(reply.frame.head);
    return reply;
}

Session::Session(Transport& transport, const LinkTiming& timing)
    : transport_(transport), timing_(timing) {}

bool Session::isOpen() {
    return open_ && transport_.now() - lastActivity_ < timing_.sessionIdle;
}

bool Session::open() {
    if (isOpen()) return true;
    open_ = false;
    if (transport_.now() < absentUntil_) return false;
    wakeUp();
    Transport::Clock::time_point lastSent{};
    for (int attempt = 0; attempt < timing_.interrogateTries; ++attempt) {
        // Resending sooner than this makes a waking unit miss every copy.
        if (attempt > 0) {
            const auto next = lastSent + timing_.interrogateInterval;
            if (transport_.now() < next)
                transport_.wait(std::chrono::ceil<milliseconds>(next - transport_.now()));
        }
        lastSent = transport_.now();
        const Reply reply = sendOnce(buildCommand(Command::Interrogate), Command::Interrogate,
                                     timing_.interrogateInterval);
        if (reply.answered() && isInterrogateAnswer(reply.frame)) {
            unit_ = UnitInfo{reply.frame.fixed[0], reply.frame.fixed[1], {}, {}};
            std::copy_n(reply.frame.fixed.begin() + 2, 8, unit_.serialNumber.begin());
            unit_.softwareVersion.assign(reply.frame.fixed.begin() + 10, reply.frame.fixed.end());
            open_ = true;
            if (answered_) answered_();
            return true;
        }
        if (reply.outcome == Outcome::PortFailed) return false;
        if (reply.outcome != Outcome::NoAnswer) drain();
    }
    absentUntil_ = transport_.now() + timing_.absentMemory;
    return false;
}

Reply Session::exchange(Command command, const std::vector<Bytes>& strings, const Check& check) {
    const Bytes frame = buildCommand(command, strings);
    Reply reply;
    for (int attempt = 0; attempt < timing_.commandTries; ++attempt) {
        if (!open()) return {Outcome::NoAnswer};
        reply = sendOnce(frame, command, timing_.responseStart);
        switch (reply.outcome) {
            case Outcome::Answered:
                if (!check || check(reply.frame)) {
                    if (answered_) answered_();
                    return reply;
                }
                reply.outcome = Outcome::Garbled;
                drain();
                break;
            case Outcome::Unsupported:
                return reply;
            case Outcome::UnitError:
                break;
            case Outcome::Garbled:
                drain();
                break;
            // A unit that stops answering has most likely gone to sleep: wake it again.
            case Outcome::NoAnswer:
                open_ = false;
                break;
            case Outcome::PortFailed:
                open_ = false;
                return reply;
        }
    }
    return reply;
}

void Session::powerDown() {
    if (!isOpen()) return;
    // Once: a repeat would reach a unit that is asleep already.
    sendOnce(buildCommand(Command::PowerDown), Command::PowerDown, timing_.responseStart);
    open_ = false;
}

void Session::forget() {
    open_ = false;
    absentUntil_ = {};
}

void Session::wakeUp() {
    if (dtrHigh_) {
        // Without modem lines (a pseudo-terminal) there is nothing to wake with.
        if (!transport_.setDtr(false)) return;
        dtrHigh_ = false;
        transport_.wait(timing_.dtrLow);
    }
    if (!transport_.setDtr(true)) return;
    dtrHigh_ = true;
    transport_.wait(timing_.wakeSettle);
}

Reply Session::sendOnce(const Bytes& command, Command kind, milliseconds responseStart) {
    transport_.discardInput();
    if (!transport_.write(command)) return {Outcome::PortFailed};
    const auto firstByte = transport_.now() + responseStart + wireTime(command.size());
    Reply reply = readResponse(transport_, kind, firstByte, timing_.characterGap,
                               kind == observed_ ? observer_ : ReceiveObserver());
    if (reply.outcome != Outcome::NoAnswer && reply.outcome != Outcome::PortFailed) noteActivity();
    return reply;
}

// After a broken response the unit may still be sending; wait until the line is quiet so
// that the rest is not taken for the next answer.
void Session::drain() {
    const auto limit = transport_.now() + timing_.drainLimit;
    std::array<uint8_t, 256> scratch;
    while (transport_.now() < limit) {
        const auto deadline = std::min(transport_.now() + timing_.characterGap, limit);
        if (transport_.read(scratch, deadline) <= 0) return;
    }
}

void Session::noteActivity() {
    lastActivity_ = transport_.now();
}

}  // namespace cs1504
