#pragma once

class QString;

// Settles where the program's files live for the executable in `executableDirectory` (see
// platform/program_dir.h), with the user's documents folder for the default data file. When
// an installed program's settings folder cannot be created, says so in German: the program
// runs on with the default settings, and what is set in this run cannot be kept.
void setUpProgramFiles(const QString& executableDirectory);
