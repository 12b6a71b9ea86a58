#include "system/port_lock.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QStringList>
#include <QSysInfo>

#ifndef _WIN32
#include <signal.h>

#include <cerrno>
#endif

namespace {

// The folders QSerialPort looks in, in its order; it takes the first readable one that holds
// the lock file already or lets it be written.
QString lockFilePath(const QString& device) {
    static const QStringList folders = {
        "/var/lock",
        "/etc/locks",
        "/var/spool/locks",
        "/var/spool/uucp",
        "/tmp",
        "/var/tmp",
        "/var/lock/lockdev",
        "/run/lock",
        QStandardPaths::writableLocation(QStandardPaths::TempLocation)};
    QString name = device.startsWith("/dev/") ? device.mid(5) : device;
    name.replace('/', '_');
    name.prepend("/LCK..");
    for (const QString& folder : folders) {
        const QFileInfo info(folder);
        if (!info.isReadable()) continue;
        if (QFile::exists(folder + name) || info.isWritable()) return folder + name;
    }
    return {};
}

bool processRuns(qint64 pid) {
#ifndef _WIN32
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
#else
    return pid > 0;
#endif
}

// What a process's own name says when the lock file names no program.
QString processName(qint64 pid) {
    QFile comm(QString("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

std::optional<PortHolder> holderOfLock(const QString& device) {
    const QString path = lockFilePath(device);
    if (path.isEmpty() || !QFile::exists(path)) return std::nullopt;
    qint64 pid = 0;
    QString host, program;
    if (!QLockFile(path).getLockInfo(&pid, &host, &program)) return std::nullopt;
    if (!host.isEmpty() && host != QSysInfo::machineHostName()) return std::nullopt;
    if (!processRuns(pid)) return std::nullopt;
    PortHolder holder{pid, program, false};
    if (holder.program.isEmpty()) holder.program = processName(pid);
    // The window program's application name, and the command line's.
    holder.lorvant = holder.program == "Lorvant" || holder.program == "lorvant" ||
                     holder.program == "lorvant-cli";
    return holder;
}

}  // namespace

std::optional<PortHolder> portHolder(const QString& device) {
    if (auto holder = holderOfLock(device)) return holder;
    const QString target = QFileInfo(device).canonicalFilePath();
    if (!target.isEmpty() && target != device) return holderOfLock(target);
    return std::nullopt;
}
