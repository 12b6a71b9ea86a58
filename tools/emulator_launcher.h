#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "testing/cs1504_device.h"

// Starts the CS1504 emulator on a fresh pseudo-terminal, for tests and the benchmark, and
// reads back the state it reports after each transaction.
class EmulatorLauncher {
  public:
    EmulatorLauncher() = default;
    ~EmulatorLauncher();
    EmulatorLauncher(const EmulatorLauncher&) = delete;
    EmulatorLauncher& operator=(const EmulatorLauncher&) = delete;

    // Starts it with `arguments` (a state file is added); false when it did not come up,
    // with its complaint in errorText().
    bool start(const QStringList& arguments);
    // Asks it to end; true when it ended on its own, cleanly.
    bool stop();

    // The pseudo-terminal the host opens; point LORVANT_COM<n> at it.
    QString portPath() const { return portPath_; }
    // The unit as the emulator last wrote it down; false when that cannot be read.
    bool state(cs1504::Device& device) const;
    // How many barcodes the unit holds by that state; -1 when it cannot be read.
    int storedBarcodes() const;
    QString errorText() const { return errorText_; }
    // What it wrote to stderr (transactions when started with --log).
    QString log() const;

    // Where the emulator binary is.
    static QString program();

  private:
    QProcess process_;
    QTemporaryDir directory_;
    QString portPath_;
    QString errorText_;
};
