#pragma once

#include <string>

// The directory that holds the program's files (settings, scanner list, parameter file,
// default data file), with a trailing '/'. main sets it to the executable's directory;
// tests point it elsewhere.
const std::string& programDirectory();
void setProgramDirectory(std::string directory);
