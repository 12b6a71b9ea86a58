#pragma once

class ProgramData;
class TMainForm;

// The start of a run, before the main window shows: the settings and the scanner list read
// from the program directory (a missing or damaged list reported), a save that the end of
// the last run cut short taken back, the parameter file opened, the main window's status,
// the hotkeys registered, and in keyboard-wedge mode the main window minimised.
void startRun(ProgramData& data, TMainForm* main);
// The end of a run: the settings and the scanner list written back (a failure reported).
void endRun(ProgramData& data);
