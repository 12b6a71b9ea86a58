// lorvant-cs1504-emulator: a CS1504 unit on a pseudo-terminal or serial device, for trying the
// program without a scanner and for testing the serial path end to end.
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>

#include "options.h"
#include "serial_line.h"
#include "testing/cs1504_unit_file.h"
#include "unit_server.h"

namespace {

std::atomic<bool> stopRequested{false};

void requestStop(int) {
    stopRequested = true;
}

void installStopHandlers() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: a pending wait ends at once
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// A unit's clock has been set some time; the PC's time is the likeliest. It then stands
// still, so that what a host writes can be read back exactly.
void setClockToNow(cs1504::Device& device) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    device.clock = {
        static_cast<uint8_t>(local.tm_sec % 60), static_cast<uint8_t>(local.tm_min),
        static_cast<uint8_t>(local.tm_hour),     static_cast<uint8_t>(local.tm_mday),
        static_cast<uint8_t>(local.tm_mon + 1),  static_cast<uint8_t>(local.tm_year % 100)};
}

bool loadDataFile(const std::string& path, cs1504::Device& device, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!cs1504::readUnitFile(text.str(), device, error)) {
        error = path + ", " + error;
        return false;
    }
    return true;
}

// Options given on the command line, over what the data file set up.
bool applyOptions(const EmulatorOptions& options, cs1504::Device& device, std::string& error) {
    std::string entries;
    if (options.serialNumber) entries += "serial " + *options.serialNumber + "\n";
    if (options.timeStamps)
        entries += std::string("timestamps ") + (*options.timeStamps ? "on\n" : "off\n");
    for (const auto& [code, value] : options.parameters)
        entries += "parameter " + std::to_string(code) + " " + std::to_string(value) + "\n";
    if (!cs1504::readUnitFile(entries, device, error)) return false;
    // A unit whose clock lost power stamps what it scans from the clock it has since.
    if (options.clockLost) device.loseClock();
    for (const auto& [type, data] : options.barcodes) {
        const auto code = cs1504::codeTypeFromName(type);
        if (!code || data.size() > cs1504::kMaxStoredBarcode) {
            error = "bad barcode " + type + ":" + data;
            return false;
        }
        device.barcodes.push_back({*code, data, device.clockStamp()});
    }
    if (device.uploadResponseSize() > cs1504::kMaxResponseBytes) {
        error = "more barcodes than the unit's memory holds";
        return false;
    }
    if (options.silent) device.connected = false;
    if (options.lowBattery) device.lowBattery = true;
    return true;
}

int fail(const std::string& message) {
    std::cerr << "lorvant-cs1504-emulator: " << message << '\n';
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed =
        parseEmulatorOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        (parsed.failed ? std::cerr : std::cout) << parsed.message;
        return parsed.failed ? 2 : 0;
    }
    const EmulatorOptions& options = *parsed.options;
    cs1504::Device device;
    setClockToNow(device);
    const auto setToNow = device.clock;
    std::string error;
    if (!options.dataFile.empty() && !loadDataFile(options.dataFile, device, error))
        return fail(error);
    // A data file that says the clock lost power, and gives it no time of its own: the
    // clock runs from its reset value, not from the PC's time.
    if (device.clockLost && device.clock == setToNow) device.loseClock();
    if (!applyOptions(options, device, error)) return fail(error);

    installStopHandlers();
    SerialLine line(options.fast, LineFaults(options.dropRate, options.flipRate, options.seed),
                    stopRequested);
    std::string path = options.device;
    const bool opened =
        path.empty() ? line.openPseudoTerminal(path, error) : line.openDevice(path, error);
    if (!opened) return fail(error);
    UnitServer server(device, line, options);
    server.saveState();
    std::cout << path << std::endl;  // first line: where the host connects
    server.run(stopRequested);
    return 0;
}
