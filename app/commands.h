#pragma once

#include <string>

#include "platform/instance_channel.h"

// What main() does for the command line: the help, the version, a mistake, the wedge
// commands, and the requests the running program gets from them and from a second start.

// Each prints to stdout or stderr (German) and returns the exit status: 0 done, 1 not
// done (no program running, or it did not take the request), 2 a command line mistake.
int printHelp();
int printVersion();
int reportInvalidArgument(const std::string& argument);
int runWedgeCommand(ChannelRequest request);

// A second start while a copy runs: that copy has been asked to come forward (Elsewhere)
// or does not answer (Busy); nothing else starts. Returns the exit status.
int reportRunningCopy(InstanceChannel::Claim claim, const QString& problem);
// The channel could not be set up: the program runs on without the wedge commands.
void reportChannelUnavailable(const QString& problem);

class TMainForm;

// In the running program: the send and erase requests arrive as the send and clear
// hotkeys do; a second start brings the main window `main` forward.
void handleChannelRequest(ChannelRequest request, TMainForm* main);
