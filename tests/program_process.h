#pragma once

// The program itself as the end-to-end tests run it: a copy of its executable in a folder
// of the test's own (it takes its files from beside its executable), on the test's X server
// with the emulator's pseudo-terminal as COM1.
#include <QFile>
#include <QProcess>
#include <QString>

#include "test_programs.h"

inline constexpr int kProgramTimeoutMs = 20000;  // only reached when something is broken

// The environment for the program on `display`, its channel in `runtimeFolder` (apart from
// any other copy's), COM1 at `port`.
inline QProcessEnvironment programEnvironment(const QString& display, const QString& runtimeFolder,
                                              const QString& port) {
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display);
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("XDG_RUNTIME_DIR", runtimeFolder);
    environment.insert("LORVANT_COM1", port);
    return environment;
}

// Copies the program into `folder` (which holds its settings and scanner list) and starts it.
inline bool startProgramIn(QProcess& program, const QString& folder,
                           const QProcessEnvironment& environment) {
    const QString executable = folder + "/lorvant";
    if (!QFile::exists(executable) && !QFile::copy(QStringLiteral(LORVANT_PROGRAM), executable))
        return false;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(folder);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(executable, {});
    return program.waitForStarted(kProgramTimeoutMs);
}

// Ends it with the termination signal (a logout); true when it ended as on closing it,
// without a failure (a sanitizer finding would be one).
inline bool endProgram(QProcess& program) {
    if (program.state() == QProcess::NotRunning) return true;
    program.terminate();
    if (!program.waitForFinished(kProgramTimeoutMs)) program.kill();
    program.waitForFinished(5000);
    return program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
}
