#include "unit_server.h"

#include <cstdio>
#include <fstream>
#include <iostream>

#include "testing/cs1504_unit_file.h"

using namespace std::chrono_literals;
using cs1504::Command;

namespace {

// A unit drops a half-received command after a pause, and a session after 20 s of quiet.
constexpr auto partialFrameTimeout = 100ms;
constexpr auto sessionTimeout = 20s;

std::string hex(const std::vector<uint8_t>& bytes, size_t shown = 24) {
    std::string text;
    char byte[4];
    for (size_t i = 0; i < bytes.size() && i < shown; ++i) {
        std::snprintf(byte, sizeof byte, "%02X ", bytes[i]);
        text += byte;
    }
    if (bytes.size() > shown) text += "... ";
    return text + "(" + std::to_string(bytes.size()) + " bytes)";
}

}  // namespace

UnitServer::UnitServer(cs1504::Device& device, SerialLine& line, const EmulatorOptions& options)
    : device_(device),
      line_(line),
      options_(options),
      interrogatesToLose_(options.loseInterrogates) {}

void UnitServer::run(const std::atomic<bool>& stop) {
    while (!stop) {
        const std::vector<uint8_t> bytes = line_.receive(20ms);
        const auto now = SerialLine::Clock::now();
        if (!bytes.empty()) {
            commands_.add(bytes);
            lastInput_ = now;
            takeFrames();
        } else if (!commands_.pending().empty() && now - lastInput_ > partialFrameTimeout) {
            dropStaleInput();
        }
        if (device_.sessionOpen() && now - lastCommand_ > sessionTimeout) {
            device_.endSession();
            if (options_.log) std::cerr << "session timed out\n";
            saveState();
        }
    }
}

void UnitServer::takeFrames() {
    cs1504::Bytes skipped;
    while (const auto command = commands_.next(options_.log ? &skipped : nullptr)) {
        // Not the start of a command: passed over, byte by byte.
        for (uint8_t byte : skipped) log("skipped", {byte});
        skipped.clear();
        serve(*command);
    }
    for (uint8_t byte : skipped) log("skipped", {byte});
}

void UnitServer::dropStaleInput() {
    if (options_.log) log("dropped", commands_.pending());
    commands_.clear();
}

void UnitServer::serve(const std::vector<uint8_t>& command) {
    lastCommand_ = SerialLine::Clock::now();
    if (options_.log) log("->", command);
    size_t bytesToSend = 0;
    const std::vector<uint8_t> answer = answerTo(command, bytesToSend);
    // The state is on disk before the host can have the answer.
    saveState();
    if (answer.empty()) {
        if (options_.log) std::cerr << "   (no answer)\n";
        return;
    }
    if (options_.log) log("<-", answer);
    const auto start = std::max(SerialLine::Clock::now(), line_.inboundEnd()) + options_.latency;
    line_.send(answer, bytesToSend, start);
}

std::vector<uint8_t> UnitServer::answerTo(const std::vector<uint8_t>& command,
                                          size_t& bytesToSend) {
    const bool interrogate = command[0] == static_cast<uint8_t>(Command::Interrogate);
    if (interrogate && device_.connected && interrogatesToLose_ > 0) {
        --interrogatesToLose_;
        if (options_.log) std::cerr << "   (still waking up)\n";
        return {};
    }
    std::vector<uint8_t> answer = device_.respond(command);
    bytesToSend = answer.size();
    const bool upload =
        command[0] == static_cast<uint8_t>(Command::UploadBarcodes) && answer.size() > 1;
    if (upload && options_.disconnectMidUpload && !uploadCutDone_) {
        // The cable is pulled halfway through: half the answer, then nothing ever again.
        uploadCutDone_ = true;
        bytesToSend = answer.size() / 2;
        device_.connected = false;
        if (options_.log) std::cerr << "   (disconnected after " << bytesToSend << " bytes)\n";
    }
    return answer;
}

void UnitServer::saveState() const {
    if (options_.stateFile.empty()) return;
    // Written beside and renamed over, so that a reader never sees half a state.
    const std::string temporary = options_.stateFile + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << cs1504::writeUnitFile(device_);
        if (!out) return;
    }
    std::rename(temporary.c_str(), options_.stateFile.c_str());
}

void UnitServer::log(const std::string& what, const std::vector<uint8_t>& bytes) const {
    std::cerr << what << ' ' << hex(bytes) << '\n';
}
