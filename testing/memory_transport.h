#pragma once

#include <chrono>
#include <memory>
#include <vector>

#include "scanner/transport.h"
#include "testing/cs1504_device.h"

// An in-memory line to a device model, for tests: each command written reaches the unit at
// once and its answer is ready to read. Time is the line's own and moves only when the
// library waits, so retries and time-outs cost no real time.
struct MemoryLine {
    explicit MemoryLine(cs1504::Device& device) : device(device) {}

    cs1504::Device& device;

    // Faults on the line, each used up by the commands that follow.
    int commandsToLose = 0;     // reach the unit not at all
    int commandsToGarble = 0;   // reach the unit with one byte changed
    int answersToGarble = 0;    // arrive with one byte changed
    int answersToCut = 0;       // arrive only in part, the rest never comes
    bool portAvailable = true;  // false: opening the port fails
    bool modemLines = true;     // false: DTR cannot be driven, as on a pseudo-terminal

    // What the line saw.
    std::vector<cs1504::Bytes> commands;  // as the library sent them
    std::vector<Transport::Clock::time_point> commandTimes;
    int opens = 0;
    int openTransports = 0;
    int wakeUps = 0;  // DTR raised again after a drop

    Transport::Clock::time_point now{};
};

// Every port index reaches the one unit; the opener keeps a line of its own.
std::unique_ptr<PortOpener> memoryPortOpener(cs1504::Device& device);
// The same over a line the caller keeps, to inject faults and look at the traffic.
std::unique_ptr<PortOpener> memoryPortOpener(MemoryLine& line);
