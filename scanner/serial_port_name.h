#pragma once

#include <string>

// The device behind port index 0-15 (COM1-COM16). On Windows that is the port's own name;
// elsewhere COM<n> is the device named by the environment variable LORVANT_COM<n> when it
// is set (a USB cable under another name, or an emulator's pseudo-terminal), and otherwise
// /dev/ttyUSB<n-1>, the usual name of the scanner's USB serial cable. Empty for an index
// outside 0-15.
std::string scannerPortDevice(int portIndex);
