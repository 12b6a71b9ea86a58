#pragma once

#include <optional>
#include <string>
#include <vector>

// What the command line of lorvant-cli asks for: one command and its options.
enum class CliCommand { Receive, Info, Erase, Clock, Parameters, History, Register, Help, Version };

enum class EraseChoice {
    Configured,  // as the settings say (never after --stdout or --json on standard output)
    Erase,       // --erase
    Keep,        // --no-erase
};

enum class ClockAction { Show, Sync, Set };

enum class ParameterAction { Read, Write, FactoryReset };

struct CliOptions {
    CliCommand command = CliCommand::Help;
    std::optional<std::string> port;    // --port DEVICE
    std::optional<std::string> config;  // --config DIR
    // receive
    std::optional<std::string> output;  // --output FILE
    bool toStdout = false;
    bool json = false;
    EraseChoice erase = EraseChoice::Configured;
    // erase
    bool yes = false;
    // clock
    ClockAction clock = ClockAction::Show;
    std::string clockValue;  // --set, as given
    // parameters: --read [FILE], --write [FILE] (without FILE the program's Param.dat),
    // --factory-reset
    ParameterAction parameters = ParameterAction::Read;
    std::optional<std::string> parameterFile;
    // history: --show ID, --export ID FILE, --search TEXT (none: the list)
    std::optional<std::string> showId;
    std::optional<std::string> exportId;
    std::string exportFile;
    std::optional<std::string> search;
    // register: as given (the locale's encoding)
    std::string id;
    std::string name;
};

struct ParsedCommandLine {
    CliOptions options;
    // A mistake: what is wrong (German, UTF-8) and the command's synopsis (the whole usage
    // when no command was recognised).
    std::string error;
    std::string usage;
    bool ok() const { return error.empty(); }
};

// The arguments after the program name. Options take their value as the next argument or
// after '='; --read and --write take one only when the next argument is no option. --config
// and --port may stand before the command too.
ParsedCommandLine parseCliArguments(const std::vector<std::string>& arguments);

// Every command's synopsis, one a line.
std::string cliUsage();
