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
    Invalid,  // an unknown option, a stray argument, or more than one option
};

struct CommandLine {
    CommandLineAction action = CommandLineAction::Start;
    std::string offending;  // Invalid: the argument that is not understood
};

// The arguments after the program name. Qt's own options (-platform, -style) are not
// taken: the environment variables (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE) do the same.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);
