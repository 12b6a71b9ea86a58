#include "emulator_launcher.h"

#include <QDeadlineTimer>
#include <QFile>

#include "testing/cs1504_unit_file.h"

EmulatorLauncher::~EmulatorLauncher() {
    stop();
}

QString EmulatorLauncher::program() {
    return QStringLiteral(LORVANT_EMULATOR_PATH);
}

bool EmulatorLauncher::start(const QStringList& arguments) {
    process_.setProgram(program());
    process_.setArguments(arguments + QStringList{"--state", directory_.filePath("state.txt")});
    process_.setStandardErrorFile(directory_.filePath("stderr.txt"));
    process_.start();
    // The first line it prints is the pseudo-terminal; anything else means it gave up.
    QDeadlineTimer deadline(10000);
    while (process_.state() != QProcess::NotRunning && !process_.canReadLine() &&
           !deadline.hasExpired())
        process_.waitForReadyRead(int(deadline.remainingTime()));
    if (!process_.canReadLine()) {
        stop();
        errorText_ = log();
        return false;
    }
    portPath_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    return true;
}

bool EmulatorLauncher::stop() {
    if (process_.state() == QProcess::NotRunning) return false;
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(1000);
        return false;
    }
    return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

bool EmulatorLauncher::state(cs1504::Device& device) const {
    QFile file(directory_.filePath("state.txt"));
    if (!file.open(QIODevice::ReadOnly)) return false;
    std::string error;
    return cs1504::readUnitFile(file.readAll().toStdString(), device, error);
}

QString EmulatorLauncher::log() const {
    QFile file(directory_.filePath("stderr.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

int EmulatorLauncher::storedBarcodes() const {
    cs1504::Device unit;
    return state(unit) ? int(unit.barcodes.size()) : -1;
}
