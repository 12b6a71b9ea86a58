#pragma once

#include "core/keyboard_output.h"

// The process-wide keystroke output: the platform's backend, else a recording one.
KeyboardOutput& keyboardOutput();
// Installs another output (tests); nullptr goes back to the platform's one. The caller
// keeps ownership.
void setKeyboardOutput(KeyboardOutput* output);
