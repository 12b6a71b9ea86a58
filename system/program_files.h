#pragma once

#include <QString>

// Settles where the program's files live for the executable in `executableDirectory` (see
// system/program_dir.h), with the user's documents folder for the default data file. An
// installed program's first run gets an empty scanner list. When an installed program's
// settings folder cannot be created, returns the German message saying which folder and
// why (the locations hold all the same, so nothing is written anywhere else); empty
// otherwise.
QString settleProgramFiles(const QString& executableDirectory);
