#pragma once

#include <string>

// Where the program keeps its files. The program directory holds the settings
// "LVconfig.ini", the scanner list "LVserial.dat" and the parameter file "Param.dat"; the
// data directory holds the default data file "Data.txt". Both end with '/'.
//
// Run from a folder of its own (a build tree, a copied program folder) the program keeps all
// four beside its executable. Installed - its executable in <prefix>/bin, the program's
// data folder <prefix>/share/lorvant beside it - it never writes under the prefix, not even
// when run as root: the three files go to $XDG_CONFIG_HOME/lorvant/ (when the variable holds
// an absolute path) or ~/.config/lorvant/, and the data file to the user's documents folder,
// or the home folder when there is no documents folder.
const std::string& programDirectory();
const std::string& dataDirectory();
// The folder of the reception history: the program directory, or for an installed program
// $XDG_DATA_HOME/lorvant/ (~/.local/share/lorvant/). Made when the history is first written.
const std::string& historyDirectory();

// Points all three at `directory` (tests, tools, lorvant-cli --config).
void setProgramDirectory(std::string directory);

// Decides where the files of the executable in `executableDirectory` live, as above, and
// makes that the program's. `documentsDirectory` is the documents folder the desktop names
// (it need not exist). An installed program's folder is created here, each missing level
// readable by the user alone. Returns the system's reason when it cannot be created, empty
// otherwise; the locations hold either way, so nothing is written anywhere else.
std::string locateProgramFiles(const std::string& executableDirectory,
                               const std::string& documentsDirectory);

// Whether the executable in `executableDirectory` is an installed one (its data folder
// beside it), whose files live in the user's folders.
bool isInstalledProgram(const std::string& executableDirectory);

// The data folder an installed program finds beside its executable's folder
// ("../share/lorvant" in the usual layout).
const char* installedDataFolder();
