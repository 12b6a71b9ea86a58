#pragma once

#include <QString>

#include "cli/cli_texts.h"

class ScannerPort;

// What every command of lorvant-cli shares: its exit statuses and how a failed exchange is
// told.
namespace cli {

constexpr int kDone = 0;
constexpr int kScannerProblem = 1;
constexpr int kUsage = 2;
constexpr int kNotRegistered = 3;
constexpr int kNotWritten = 4;

// A text of the window program without the blanks its status lines and captions carry.
QString trimmed(const char* text);
QString pathText(const std::string& path);

// After a signal: the unit put to sleep, `message` said, 128 + the signal returned.
int interrupted(ScannerPort& port, const char* message = clitexts::kInterrupted);
// An exchange that failed: because of a signal, or with `message` (status 1).
int scannerFailure(ScannerPort& port, const QString& message);
// A value on the command line that will not do: `message`, the command's synopsis (2).
int usageMistake(const QString& message, const char* synopsis);

}  // namespace cli
