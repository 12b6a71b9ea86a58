#include "app/command_line.h"

#include <array>
#include <utility>

namespace {
constexpr std::array<std::pair<const char*, CommandLineAction>, 5> options = {{
    {"--send", CommandLineAction::Send},
    {"--erase", CommandLineAction::Erase},
    {"--help", CommandLineAction::Help},
    {"-h", CommandLineAction::Help},
    {"--version", CommandLineAction::Version},
}};
}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    for (const std::string& argument : arguments) {
        CommandLineAction action = CommandLineAction::Invalid;
        for (const auto& [name, named] : options) {
            if (argument == name) action = named;
        }
        // One option at a time: "--send --erase" would leave it open which one ran.
        if (action == CommandLineAction::Invalid || result.action != CommandLineAction::Start)
            return {CommandLineAction::Invalid, argument};
        result.action = action;
    }
    return result;
}
