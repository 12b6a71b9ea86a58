#pragma once

#include <QString>
#include <optional>

// Who holds a serial port. Before it opens a device, QSerialPort takes a lock file named after
// it ("LCK..ttyUSB0", the UUCP convention) in the first lock folder it may use, and keeps it
// while the port is open; the window program and lorvant-cli both open their port so. Seen
// from outside, a live lock names the process and its program.
struct PortHolder {
    qint64 pid = 0;
    QString program;       // as the lock file names it (the application name)
    bool lorvant = false;  // Lorvant's window program, or another lorvant-cli
};

// The process that holds the lock of `device` (a path), or nothing when the device is free or
// its lock is stale (its process has ended). Looks under the name given and, for a link, the
// device it leads to.
std::optional<PortHolder> portHolder(const QString& device);
