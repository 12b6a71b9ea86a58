#include "options.h"

#include <charconv>
#include <functional>
#include <map>

namespace {

const char* const usage =
    "usage: lorvant-cs1504-emulator [options]\n"
    "Serves a CS1504 unit on a fresh pseudo-terminal (its path is printed first) or on\n"
    "--device, until stopped with SIGTERM or SIGINT.\n"
    "  --device PATH            serve on this serial device\n"
    "  --data FILE              load the unit from a text file (man lorvant-cs1504-emulator)\n"
    "  --serial HEX             serial number, 16 hexadecimal digits\n"
    "  --timestamps on|off      store time stamps (parameter 35)\n"
    "  --param CODE=VALUE       set a parameter\n"
    "  --barcode TYPE:DATA      store a barcode, stamped with the unit's clock\n"
    "  --silent                 a unit that answers nothing\n"
    "  --low-battery            report a low battery\n"
    "  --clock-lost             the clock has lost power\n"
    "  --fast                   answer at full speed instead of 9600 baud pace\n"
    "  --latency MS             delay before each answer (default 5)\n"
    "  --drop-rate R            lose this fraction of the bytes on the line\n"
    "  --flip-rate R            flip one bit in this fraction of the bytes\n"
    "  --seed N                 seed for the line faults\n"
    "  --lose-interrogates N    leave the first N Interrogate commands unanswered\n"
    "  --disconnect-mid-upload  stop halfway through the first barcode upload, then\n"
    "                           answer nothing any more\n"
    "  --state FILE             write the unit's state there after each transaction\n"
    "  --log                    log each transaction to stderr\n"
    "  --help, --version        print this text, or the version, and end\n";

template <typename Number>
bool parseNumber(const std::string& text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

bool parseRate(const std::string& text, double& rate) {
    try {
        size_t used = 0;
        rate = std::stod(text, &used);
        return used == text.size() && rate >= 0 && rate <= 1;
    } catch (...) {
        return false;
    }
}

using ValueOption = std::function<bool(EmulatorOptions&, const std::string&)>;
using FlagOption = std::function<void(EmulatorOptions&)>;

const std::map<std::string, ValueOption> valueOptions = {
    {"--device",
     [](EmulatorOptions& o, const std::string& v) {
         o.device = v;
         return true;
     }},
    {"--data",
     [](EmulatorOptions& o, const std::string& v) {
         o.dataFile = v;
         return true;
     }},
    {"--state",
     [](EmulatorOptions& o, const std::string& v) {
         o.stateFile = v;
         return true;
     }},
    {"--serial",
     [](EmulatorOptions& o, const std::string& v) {
         o.serialNumber = v;
         return true;
     }},
    {"--timestamps",
     [](EmulatorOptions& o, const std::string& v) {
         o.timeStamps = v == "on";
         return v == "on" || v == "off";
     }},
    {"--param",
     [](EmulatorOptions& o, const std::string& v) {
         const size_t equals = v.find('=');
         int code = 0, value = 0;
         if (equals == std::string::npos || !parseNumber(v.substr(0, equals), code) ||
             !parseNumber(v.substr(equals + 1), value) || code < 0 || code > 255 || value < 0 ||
             value > 255)
             return false;
         o.parameters.emplace_back(code, value);
         return true;
     }},
    {"--barcode",
     [](EmulatorOptions& o, const std::string& v) {
         const size_t colon = v.find(':');
         if (colon == std::string::npos) return false;
         o.barcodes.emplace_back(v.substr(0, colon), v.substr(colon + 1));
         return true;
     }},
    {"--latency",
     [](EmulatorOptions& o, const std::string& v) {
         int ms = 0;
         if (!parseNumber(v, ms) || ms < 0) return false;
         o.latency = std::chrono::milliseconds(ms);
         return true;
     }},
    {"--drop-rate",
     [](EmulatorOptions& o, const std::string& v) { return parseRate(v, o.dropRate); }},
    {"--flip-rate",
     [](EmulatorOptions& o, const std::string& v) { return parseRate(v, o.flipRate); }},
    {"--seed", [](EmulatorOptions& o, const std::string& v) { return parseNumber(v, o.seed); }},
    {"--lose-interrogates",
     [](EmulatorOptions& o, const std::string& v) {
         return parseNumber(v, o.loseInterrogates) && o.loseInterrogates >= 0;
     }},
};

const std::map<std::string, FlagOption> flagOptions = {
    {"--silent", [](EmulatorOptions& o) { o.silent = true; }},
    {"--low-battery", [](EmulatorOptions& o) { o.lowBattery = true; }},
    {"--clock-lost", [](EmulatorOptions& o) { o.clockLost = true; }},
    {"--fast", [](EmulatorOptions& o) { o.fast = true; }},
    {"--log", [](EmulatorOptions& o) { o.log = true; }},
    {"--disconnect-mid-upload", [](EmulatorOptions& o) { o.disconnectMidUpload = true; }},
};

// The mistake alone: the whole usage would bury it.
ParsedOptions mistake(const std::string& text) {
    return {std::nullopt,
            "lorvant-cs1504-emulator: " + text +
                "\nlorvant-cs1504-emulator --help lists the options.\n",
            true};
}

}  // namespace

ParsedOptions parseEmulatorOptions(const std::vector<std::string>& arguments) {
    EmulatorOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") return {std::nullopt, usage, false};
        if (name == "--version")
            return {std::nullopt, "lorvant-cs1504-emulator " LORVANT_VERSION "\n", false};
        if (const auto flag = flagOptions.find(name); flag != flagOptions.end()) {
            flag->second(options);
            continue;
        }
        const auto option = valueOptions.find(name);
        if (option == valueOptions.end()) return mistake("unknown option " + name);
        if (i + 1 == arguments.size()) return mistake(name + " needs a value");
        if (!option->second(options, arguments[++i]))
            return mistake("bad value for " + name + ": " + arguments[i]);
    }
    return {options, {}, false};
}
