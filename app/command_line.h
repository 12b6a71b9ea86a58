#pragma once

#include <string>
#include <vector>

// What the command line asks for. Without options the program starts; the wedge commands
// hand a request to the copy that runs already.
enum class CommandLineAction {
    Start,
    Send,     // --send: as the send hotkey
    Erase,    // --erase: as the clear hotkey
    Help,     // --help, -h
    Version,  // --version
    Invalid,  // an unknown option or argument, or more than one option
};

struct CommandLine {
    CommandLineAction action = CommandLineAction::Start;
    std::string offending;  // Invalid: the argument that is not understood
};

// The arguments after the program name. Anything but the program's own options is left to
// Qt for a plain start (its -platform, -style and the like, see leftoverArguments); with
// --send, --erase, --help or --version it is a mistake.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// A plain start, once Qt has taken its own options: whatever is left is not understood.
CommandLine leftoverArguments(const std::vector<std::string>& leftover);
