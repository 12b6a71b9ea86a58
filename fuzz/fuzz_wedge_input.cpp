// What the keyboard wedge makes of bytes from outside: a received barcode (any bytes from
// the scanner, the list delimiter and the wedge separator among them) becomes the typed line
// of the barcode whole, then the time and date texts the data format option asks for, in
// order, and on Wayland a key for each character that has one, or the transfer is refused
// as a whole; the list row keeps the same fields; and the command line (any arguments) asks
// for exactly one thing.
#include <algorithm>
#include <vector>

#include "app/command_line.h"
#include "core/wedge_keys.h"
#include "formats/reception.h"
#include "fuzz/fuzz_support.h"
#include "platform/wayland/virtual_keymap.h"
#include "text/date_time_format.h"
#include "text/delimited_text.h"

namespace {

void lineHasTheBarcodeWhole(const std::string& barcode, DataFormat option, char delimiter,
                            char separator) {
    const LocalDateTime stamp{2026, 12, 31, 23, 59, 58, 0};
    const std::vector<std::string> fields = barcodeFields(barcode, option, stamp);
    std::vector<std::string> expected = {barcode};
    if (option == DataFormat::TimeAndDate || option == DataFormat::Time)
        expected.push_back(formatLongTime(stamp));
    if (option == DataFormat::TimeAndDate || option == DataFormat::Date)
        expected.push_back(formatShortDate(stamp));
    FUZZ_CHECK(fields == expected);
    std::string line = barcode;
    for (size_t i = 1; i < fields.size(); ++i) line += separator + fields[i];
    FUZZ_CHECK(buildWedgeLine(fields, separator) == line);
    // The list row, which the data file gets, joins the same fields by the delimiter.
    std::string row = barcode;
    for (size_t i = 1; i < fields.size(); ++i) row += delimiter + fields[i];
    FUZZ_CHECK(joinFields(fields, std::string(1, delimiter)) == row);
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
    const auto option = static_cast<DataFormat>(static_cast<int>(input.pick(6)) - 1);
    const char separator =
        wedgeSeparatorCharacter(static_cast<WedgeSeparator>(static_cast<int>(input.pick(9)) - 1));
    const int terminator = static_cast<int>(input.pick(6)) - 1;
    commandLineAsksForOneThing(input);
    const std::string barcode = input.rest();
    lineHasTheBarcodeWhole(barcode, option, delimiter, separator);
    const LocalDateTime stamp{2026, 12, 31, 23, 59, 58, 0};
    keysForEveryCharacter(buildWedgeLine(barcodeFields(barcode, option, stamp), separator),
                          terminator);
    return 0;
}
