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
    std::vector<std::string> others;
    for (const std::string& argument : arguments) {
        CommandLineAction action = CommandLineAction::Start;
        for (const auto& [name, named] : options) {
            if (argument == name) action = named;
        }
        if (action == CommandLineAction::Start) {
            others.push_back(argument);
            continue;
        }
        // One option at a time: "--send --erase" would leave it open which one ran.
        if (result.action != CommandLineAction::Start)
            return {CommandLineAction::Invalid, argument};
        result.action = action;
    }
    if (result.action != CommandLineAction::Start && !others.empty())
        return {CommandLineAction::Invalid, others.front()};
    return result;
}

CommandLine leftoverArguments(const std::vector<std::string>& leftover) {
    if (leftover.empty()) return {};
    return {CommandLineAction::Invalid, leftover.front()};
}
