#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "options.h"
#include "serial_line.h"
#include "testing/cs1504_device.h"

// Serves a device model on a serial line: collects command frames from the bytes that
// arrive, lets the model answer them and sends the answers back at line pace.
class UnitServer {
  public:
    UnitServer(cs1504::Device& device, SerialLine& line, const EmulatorOptions& options);
    // Runs until `stop` is set.
    void run(const std::atomic<bool>& stop);
    // Writes the state file, if one was asked for.
    void saveState() const;

  private:
    void takeFrames();
    void serve(const std::vector<uint8_t>& command);
    std::vector<uint8_t> answerTo(const std::vector<uint8_t>& command, size_t& bytesToSend);
    void dropStaleInput();
    void log(const std::string& what, const std::vector<uint8_t>& bytes) const;

    cs1504::Device& device_;
    SerialLine& line_;
    const EmulatorOptions& options_;
    cs1504::CommandReader commands_;
    SerialLine::Clock::time_point lastInput_{};
    SerialLine::Clock::time_point lastCommand_{};
    int interrogatesToLose_ = 0;
    bool uploadCutDone_ = false;
};
