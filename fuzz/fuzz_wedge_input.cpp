// What the keyboard wedge makes of bytes from outside: a received row (barcode bytes from
// the scanner, with the list delimiter) becomes the typed line with every field of the row
// in order, and on Wayland a key for each character that has one, or the transfer is
// refused as a whole; and the command line (any arguments) asks for exactly one thing.
#include <algorithm>
#include <vector>

#include "app/command_line.h"
#include "fuzz/fuzz_support.h"
#include "platform/wayland/virtual_keymap.h"
#include "transfer/wedge_keys.h"

namespace {

std::vector<std::string> fieldsOf(const std::string& row, char delimiter) {
    std::vector<std::string> fields(1);
    for (char c : row) {
        if (c == delimiter)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

void lineHasEveryField(const std::string& row, char delimiter, int columns, char separator) {
    const std::string line = buildWedgeLine(row, delimiter, columns, separator);
    std::vector<std::string> fields = fieldsOf(row, delimiter);
    // A line has at least as many fields as columns, the missing ones empty.
    while (fields.size() < static_cast<size_t>(std::max(columns, 1))) fields.emplace_back();
    std::string expected = fields[0];
    for (size_t i = 1; i < fields.size(); ++i) expected += separator + fields[i];
    FUZZ_CHECK(line == expected);
}

void keysForEveryCharacter(const std::string& line, int terminatorIndex) {
    using namespace virtualkeys;
    TransferKeys keys;
    bool typeable = true;
    for (char c : line) {
        keys.addCharacter(c);
        typeable = typeable && keysymForCharacter(c).has_value();
    }
    keys.addVirtualKey(terminatorVirtualKey(static_cast<WedgeTerminator>(terminatorIndex)));
    FUZZ_CHECK(keys.problem().empty() == typeable);
    if (!typeable) return;
    FUZZ_CHECK(keys.keys().size() == line.size() + 1);
    const Keymap& keymap = Keymap::wedge();
    for (size_t i = 0; i < line.size(); ++i) {
        const uint32_t key = keys.keys()[i];
        FUZZ_CHECK(key >= 1 && key <= keymap.keysyms().size() && key + 8 <= 255);
        FUZZ_CHECK(keymap.keysyms()[key - 1] == *keysymForCharacter(line[i]));
    }
}

void commandLineAsksForOneThing(FuzzInput& input) {
    std::vector<std::string> arguments;
    for (unsigned count = input.pick(5); count > 0; --count) {
        static const char* known[] = {"--send", "--erase", "--help", "-h", "--version"};
        arguments.push_back(input.flag() ? std::string(known[input.pick(5)]) : input.text(12));
    }
    const CommandLine parsed = parseCommandLine(arguments);
    std::vector<std::string> options, others;
    for (const std::string& argument : arguments) {
        const bool option = argument == "--send" || argument == "--erase" || argument == "--help" ||
                            argument == "-h" || argument == "--version";
        (option ? options : others).push_back(argument);
    }
    if (options.empty()) {
        // A plain start: Qt takes its own options, and what it leaves is refused.
        FUZZ_CHECK(parsed.action == CommandLineAction::Start);
        const CommandLine left = leftoverArguments(others);
        FUZZ_CHECK(others.empty() ? left.action == CommandLineAction::Start
                                  : left.action == CommandLineAction::Invalid &&
                                        left.offending == others.front());
        return;
    }
    if (options.size() > 1 || !others.empty()) {
        FUZZ_CHECK(parsed.action == CommandLineAction::Invalid);
        FUZZ_CHECK(std::find(arguments.begin(), arguments.end(), parsed.offending) !=
                   arguments.end());
        return;
    }
    const std::string& option = options.front();
    FUZZ_CHECK(parsed.action == (option == "--send"      ? CommandLineAction::Send
                                 : option == "--erase"   ? CommandLineAction::Erase
                                 : option == "--version" ? CommandLineAction::Version
                                                         : CommandLineAction::Help));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const char delimiter = static_cast<char>(input.byte());
    const int columns = static_cast<int>(input.pick(6)) - 1;
    const char separator =
        wedgeSeparatorCharacter(static_cast<WedgeSeparator>(static_cast<int>(input.pick(9)) - 1));
    const int terminator = static_cast<int>(input.pick(6)) - 1;
    commandLineAsksForOneThing(input);
    const std::string row = input.rest();
    lineHasEveryField(row, delimiter, columns, separator);
    keysForEveryCharacter(buildWedgeLine(row, delimiter, columns, separator), terminator);
    return 0;
}
