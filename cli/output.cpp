#include "cli/output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

void printError(const QString& text) {
    std::fputs(("lorvant-cli: " + text + "\n").toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

void printLine(const QString& text) {
    std::fputs((text + "\n").toLocal8Bit().constData(), stdout);
}

bool writeStandardOutput(const std::string& bytes, std::string& reason) {
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
                         std::fflush(stdout) == 0;
    if (!written) reason = std::strerror(errno ? errno : EIO);
    return written;
}

bool errorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}
