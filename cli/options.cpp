#include "cli/options.h"

#include <algorithm>
#include <array>
#include <set>

namespace {

enum class Value { None, Required, Optional, Two };

struct KnownOption {
    const char* name;
    Value value;
};

constexpr std::array kOptions = {
    KnownOption{"--export", Value::Two},      KnownOption{"--search", Value::Required},
    KnownOption{"--port", Value::Required},   KnownOption{"--config", Value::Required},
    KnownOption{"--output", Value::Required}, KnownOption{"--stdout", Value::None},
    KnownOption{"--json", Value::None},       KnownOption{"--erase", Value::None},
    KnownOption{"--no-erase", Value::None},   KnownOption{"--yes", Value::None},
    KnownOption{"--show", Value::Optional},   KnownOption{"--sync", Value::None},
    KnownOption{"--set", Value::Required},    KnownOption{"--read", Value::Optional},
    KnownOption{"--write", Value::Optional},  KnownOption{"--factory-reset", Value::None},
    KnownOption{"--id", Value::Required},     KnownOption{"--name", Value::Required},
    KnownOption{"--help", Value::None},       KnownOption{"--version", Value::None},
};

// The commands, each with its synopsis and the options it takes besides --config.
struct CommandEntry {
    const char* name;
    CliCommand command;
    const char* synopsis;
    std::vector<std::string> options;
};

const std::vector<CommandEntry>& commands() {
    static const std::vector<CommandEntry> table = {
        {"receive",
         CliCommand::Receive,
         "lorvant-cli receive [--port GERÄT] [--output DATEI | --stdout] [--json] "
         "[--erase | --no-erase]",
         {"--port", "--output", "--stdout", "--json", "--erase", "--no-erase"}},
        {"info",
         CliCommand::Info,
         "lorvant-cli info [--port GERÄT] [--json]",
         {"--port", "--json"}},
        {"erase", CliCommand::Erase, "lorvant-cli erase --yes [--port GERÄT]", {"--port", "--yes"}},
        {"clock",
         CliCommand::Clock,
         "lorvant-cli clock [--port GERÄT] (--show | --sync | --set \"JJJJ-MM-TT hh:mm:ss\")",
         {"--port", "--show", "--sync", "--set"}},
        {"parameters",
         CliCommand::Parameters,
         "lorvant-cli parameters [--port GERÄT] (--read [DATEI] | --write [DATEI] | "
         "--factory-reset --yes)",
         {"--port", "--read", "--write", "--factory-reset", "--yes"}},
        {"history",
         CliCommand::History,
         "lorvant-cli history [--json] [--show ID | --export ID DATEI | --search BARCODE]",
         {"--json", "--show", "--export", "--search"}},
        {"register",
         CliCommand::Register,
         "lorvant-cli register [--port GERÄT] --id ID --name NAME",
         {"--port", "--id", "--name"}},
    };
    return table;
}

const KnownOption* findOption(const std::string& name) {
    const auto found = std::find_if(kOptions.begin(), kOptions.end(),
                                    [&](const KnownOption& known) { return name == known.name; });
    return found == kOptions.end() ? nullptr : &*found;
}

const CommandEntry* findCommand(const std::string& name) {
    for (const CommandEntry& entry : commands())
        if (name == entry.name) return &entry;
    return nullptr;
}

ParsedCommandLine mistake(std::string error, const CommandEntry* command) {
    ParsedCommandLine parsed;
    parsed.error = std::move(error);
    parsed.usage = command ? std::string(command->synopsis) + "\n" : cliUsage();
    return parsed;
}

std::string quoted(const std::string& text) {
    return "„" + text + "“";
}

}  // namespace

std::string cliUsage() {
    std::string usage;
    for (const CommandEntry& entry : commands()) usage += std::string(entry.synopsis) + "\n";
    usage += "lorvant-cli --help | --version\n";
    return usage;
}

namespace {

// The arguments as written: the command, and each option with its value (two values joined
// by a line break), each option once.
struct GivenArguments {
    const CommandEntry* command = nullptr;
    std::vector<std::pair<std::string, std::string>> options;  // option, value
    std::set<std::string> seen;
};

// The value of `option` at arguments[i], from after '=' or the next arguments (i moves on to
// the last one taken); an error text when it lacks one or has one it does not take.
std::string readValue(const KnownOption& option, const std::string& argument,
                      const std::vector<std::string>& arguments, size_t& i, std::string& value) {
    const size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    if (option.value == Value::Optional) {
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size() && !arguments[i + 1].empty() &&
                   arguments[i + 1][0] != '-') {
            value = arguments[++i];
        }
    } else if (option.value == Value::Two) {
        if (i + 2 >= arguments.size() || arguments[i + 1].empty() || arguments[i + 2].empty())
            return "Der Option " + quoted(name) + " fehlen ihre zwei Werte.";
        value = arguments[i + 1] + '\n' + arguments[i + 2];
        i += 2;
    } else if (option.value == Value::Required) {
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return "Der Option " + quoted(name) + " fehlt ihr Wert.";
        }
        // A name may be empty, as in the window program; nothing else may.
        if (value.empty() && name != "--name")
            return "Der Option " + quoted(name) + " fehlt ihr Wert.";
    } else if (equals != std::string::npos) {
        return "Die Option " + quoted(name) + " nimmt keinen Wert.";
    }
    return {};
}

// Splits the arguments into the command and its options; an error text on the first that
// is not understood.
std::string readArguments(const std::vector<std::string>& arguments, GivenArguments& given) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string argument = arguments[i] == "-h" ? "--help" : arguments[i];
        if (argument.rfind("--", 0) != 0 || argument == "--") {
            if (given.command || argument.empty() || argument[0] == '-')
                return quoted(argument) + " wird nicht verstanden.";
            given.command = findCommand(argument);
            if (!given.command) return "Unbekannter Befehl " + quoted(argument) + ".";
            continue;
        }
        const std::string name = argument.substr(0, argument.find('='));
        const KnownOption* option = findOption(name);
        if (!option) return "Unbekannte Option " + quoted(name) + ".";
        std::string value;
        if (std::string error = readValue(*option, argument, arguments, i, value); !error.empty())
            return error;
        if (!given.seen.insert(name).second)
            return "Die Option " + quoted(name) + " ist doppelt angegeben.";
        given.options.emplace_back(name, value);
    }
    return {};
}

// Puts one option of the command into `options`; an error text when its value is wrong.
std::string applyOption(const std::string& name, const std::string& value, CliOptions& options) {
    if (name == "--port") options.port = value;
    if (name == "--config") options.config = value;
    if (name == "--output") options.output = value;
    if (name == "--stdout") options.toStdout = true;
    if (name == "--json") options.json = true;
    if (name == "--erase") options.erase = EraseChoice::Erase;
    if (name == "--no-erase") options.erase = EraseChoice::Keep;
    if (name == "--yes") options.yes = true;
    if (name == "--show" && options.command == CliCommand::History) {
        if (value.empty()) return "--show braucht die Nummer eines Empfangs.";
        options.showId = value;
    } else if (name == "--show") {
        if (!value.empty()) return quoted(value) + " wird nicht verstanden.";
        options.clock = ClockAction::Show;
    }
    if (name == "--export") {
        const size_t split = value.find('\n');
        options.exportId = value.substr(0, split);
        options.exportFile = value.substr(split + 1);
    }
    if (name == "--search") options.search = value;
    if (name == "--sync") options.clock = ClockAction::Sync;
    if (name == "--set") {
        options.clock = ClockAction::Set;
        options.clockValue = value;
    }
    if (name == "--read" || name == "--write") {
        options.parameters = name == "--read" ? ParameterAction::Read : ParameterAction::Write;
        if (!value.empty()) options.parameterFile = value;
    }
    if (name == "--factory-reset") options.parameters = ParameterAction::FactoryReset;
    if (name == "--id") options.id = value;
    if (name == "--name") options.name = value;
    return {};
}

// The options that exclude or need one another; an error text for the first broken rule.
std::string checkCombination(const CliOptions& options, const std::set<std::string>& seen) {
    switch (options.command) {
        case CliCommand::Receive:
            if (seen.count("--output") && seen.count("--stdout"))
                return "--output und --stdout schliessen einander aus.";
            if (seen.count("--erase") && seen.count("--no-erase"))
                return "--erase und --no-erase schliessen einander aus.";
            break;
        case CliCommand::Erase:
            if (!options.yes)
                return "erase löscht alle Barcodes des Scanners, auch nicht empfangene; "
                       "bestätigen Sie es mit --yes.";
            break;
        case CliCommand::Clock:
            if (seen.count("--show") + seen.count("--sync") + seen.count("--set") != 1)
                return "clock braucht genau eine von --show, --sync und --set.";
            break;
        case CliCommand::Parameters:
            if (seen.count("--read") + seen.count("--write") + seen.count("--factory-reset") != 1)
                return "parameters braucht genau eine von --read, --write und --factory-reset.";
            if (seen.count("--factory-reset") && !options.yes)
                return "--factory-reset setzt alle Einstellungen des Scanners zurück; bestätigen "
                       "Sie es mit --yes.";
            if (options.yes && !seen.count("--factory-reset"))
                return "--yes gehört hier zu --factory-reset.";
            break;
        case CliCommand::History:
            if (seen.count("--show") + seen.count("--export") + seen.count("--search") > 1)
                return "history nimmt höchstens eine von --show, --export und --search.";
            if (seen.count("--export") && seen.count("--json"))
                return "--export schreibt eine Datendatei; --json gehört nicht dazu.";
            break;
        case CliCommand::Register:
            if (!seen.count("--id") || !seen.count("--name"))
                return "register braucht --id und --name.";
            break;
        default:
            break;
    }
    return {};
}

}  // namespace

ParsedCommandLine parseCliArguments(const std::vector<std::string>& arguments) {
    GivenArguments given;
    const std::string error = readArguments(arguments, given);
    // An unknown command has no synopsis: the whole usage goes with its error.
    if (!error.empty()) return mistake(error, given.command);
    ParsedCommandLine parsed;
    CliOptions& options = parsed.options;
    if (given.seen.count("--help") || given.seen.count("--version")) {
        options.command = given.seen.count("--help") ? CliCommand::Help : CliCommand::Version;
        return parsed;
    }
    const CommandEntry* command = given.command;
    if (!command) return mistake("Es fehlt der Befehl.", nullptr);
    options.command = command->command;
    for (const auto& [name, value] : given.options) {
        const bool allowed = name == "--config" ||
                             std::find(command->options.begin(), command->options.end(), name) !=
                                 command->options.end();
        if (!allowed)
            return mistake("Die Option " + quoted(name) + " gehört nicht zum Befehl " +
                               quoted(command->name) + ".",
                           command);
        if (std::string wrong = applyOption(name, value, options); !wrong.empty())
            return mistake(wrong, command);
    }
    if (std::string wrong = checkCombination(options, given.seen); !wrong.empty())
        return mistake(wrong, command);
    return parsed;
}
