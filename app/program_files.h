#pragma once

class QString;

// Settles where the program's files live (system/program_files.h). When an installed
// program's settings folder cannot be created, says so in a message box: the program runs on
// with the default settings, and what is set in this run cannot be kept.
void setUpProgramFiles(const QString& executableDirectory);
