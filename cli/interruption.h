#pragma once

// Ctrl+C (SIGINT), SIGTERM and SIGHUP while a command runs. The first one stops the exchange
// with the scanner at its next read, write or wait on the line, so that the command can put
// the unit to sleep and end without writing or erasing anything; a second one ends the
// program at once. The program then ends with 128 + the signal's number (130 after Ctrl+C).
void installInterruptionHandlers();

// The signal that arrived, 0 while none did.
int interruptionSignal();
// The line refuses every exchange: a signal arrived, and the clean-up has not begun.
bool lineStopped();
// The line works again, for putting the unit to sleep.
void beginCleanUp();
// The exit status after the signal.
int interruptedStatus();
