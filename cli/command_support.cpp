#include "cli/command_support.h"

#include <QFile>
#include <cstdio>

#include "cli/interruption.h"
#include "cli/output.h"
#include "cli/scanner_port.h"

namespace cli {

QString trimmed(const char* text) {
    return QString::fromUtf8(text).trimmed();
}

QString pathText(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

int interrupted(ScannerPort& port, const char* message) {
    port.stopAfterInterruption();
    printError(message);
    return interruptedStatus();
}

int scannerFailure(ScannerPort& port, const QString& message) {
    if (interruptionSignal()) return interrupted(port);
    printError(message);
    return kScannerProblem;
}

int usageMistake(const QString& message, const char* synopsis) {
    printError(message);
    std::fprintf(stderr, "%s\n%s\n", synopsis, clitexts::kSeeHelp);
    return kUsage;
}

}  // namespace cli
