#pragma once

class ProgramData;
class TMainForm;

// The start of a run, before the main window shows: the settings and the scanner list read
// from the program directory (a missing or damaged list reported), a save that the end of
// the last run cut short taken back, the parameter file opened, the main window's status,
// the hotkeys registered, and in keyboard-wedge mode the main window minimised. The
// reception history opens here too unless `openHistoryNow` is false; then openRunHistory
// opens it, before anything can read the scanner.
void startRun(ProgramData& data, TMainForm* main, bool openHistoryNow = true);
// Opens the reception history (a damaged file moved aside and said so; the old receptions
// pruned as configured), once per run.
void openRunHistory(ProgramData& data);
// The end of a run: the settings and the scanner list written back (a failure reported).
void endRun(ProgramData& data);
