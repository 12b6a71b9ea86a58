#pragma once

#include "cli/options.h"

class ProgramData;

// The commands of lorvant-cli, on the program data loaded from the settings folder. Each
// prints its result to standard output, its messages to standard error, and returns the
// exit status: 0 done; 1 a scanner or port problem; 2 a mistake on the command line; 3 the
// scanner is not registered; 4 a file (the data file, standard output, the scanner list)
// could not be written, and nothing was erased; 5 a running Lorvant holds the port; 128 + the
// signal after Ctrl+C and the like.
int runReceive(const CliOptions& options, ProgramData& data);
int runInfo(const CliOptions& options, ProgramData& data);
int runErase(const CliOptions& options, ProgramData& data);
int runClock(const CliOptions& options, ProgramData& data);
// The scanner parameters: --read into a parameter file, --write from one, --factory-reset.
int runParameters(const CliOptions& options, ProgramData& data);
// The reception history: the list, --show, --export, --search.
int runHistory(const CliOptions& options, ProgramData& data);
int runRegister(const CliOptions& options, ProgramData& data);

int printCliHelp();
