#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// What the emulator was asked to be: the unit's contents and the faults of its line.
struct EmulatorOptions {
    std::string device;  // empty: a fresh pseudo-terminal
    std::string dataFile;
    std::string stateFile;
    std::optional<std::string> serialNumber;
    std::optional<bool> timeStamps;
    std::vector<std::pair<int, int>> parameters;
    std::vector<std::pair<std::string, std::string>> barcodes;  // code type, barcode
    bool silent = false;
    bool lowBattery = false;
    bool clockLost = false;
    bool fast = false;
    bool log = false;
    double dropRate = 0;
    double flipRate = 0;
    unsigned seed = 1504;
    int loseInterrogates = 0;
    bool disconnectMidUpload = false;
    std::chrono::milliseconds latency{5};  // the unit starts answering 5 ms after a command
};

struct ParsedOptions {
    std::optional<EmulatorOptions> options;  // nothing when the emulator should not run
    std::string message;                     // usage or the mistake
    bool failed = false;
};

ParsedOptions parseEmulatorOptions(const std::vector<std::string>& arguments);
