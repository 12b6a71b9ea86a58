#pragma once

#include <QString>
#include <string>

// What lorvant-cli prints. Messages go to standard error, each beginning "lorvant-cli: ",
// in the locale's encoding; results go to standard output.
void printError(const QString& text);
// A line of a result (UTF-8 text), ended by a line feed.
void printLine(const QString& text);
// Writes `bytes` to standard output as they are and flushes them; false, with the system's
// reason, when not all went out.
bool writeStandardOutput(const std::string& bytes, std::string& reason);
// Standard error is a terminal (a progress line makes sense there).
bool errorIsTerminal();
