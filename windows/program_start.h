#pragma once

class ProgramData;
class TMainForm;

// The start of a run, before the main window shows: the settings and the scanner list read
// from the program directory (a missing or damaged list reported), a save that the end of
// the last run cut short taken back, the parameter file opened, the main window's status,
// and in keyboard-wedge mode the main window minimised.
void startRun(ProgramData& data, TMainForm* main);
// The rest of the start, once the main window shows, before anything can read the scanner:
// the hotkeys registered, and the reception history opened (a damaged file moved aside and
// said so; the old receptions pruned as configured), once per run.
void openRunServices(ProgramData& data);
// The end of a run: the settings and the scanner list written back (a failure reported).
void endRun(ProgramData& data);
