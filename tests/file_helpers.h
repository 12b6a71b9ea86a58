#pragma once

#include <QFile>
#include <QString>
#include <QTest>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// std::string values show up readably, escapes included, when a comparison fails.
namespace QTest {
template <>
inline char* toString(const std::string& text) {
    return toPrettyCString(text.data(), static_cast<qsizetype>(text.size()));
}

template <>
inline char* toString(const std::vector<std::string>& lines) {
    std::string joined = "{";
    for (const auto& line : lines) joined += (joined.size() > 1 ? ", \"" : "\"") + line + "\"";
    joined += "}";
    return toPrettyCString(joined.data(), static_cast<qsizetype>(joined.size()));
}
}  // namespace QTest

// File access for the tests, bytes in and out, independent of the code under test.

inline std::string nativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

inline std::string fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<cannot read " + nativePath(path) + ">";
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

inline bool putFile(const QString& path, std::string_view bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
           static_cast<qint64>(bytes.size());
}

// Lets everyone (owner, group, others) into a folder, with or without the right to create
// files there; closeFolder gives it back to the owner alone.
inline bool openFolderToAll(const QString& path, bool writable) {
    auto mode = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                QFile::ReadOther | QFile::ExeOther;
    if (writable) mode |= QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return QFile::setPermissions(path, mode);
}

inline bool closeFolder(const QString& path) {
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// File permissions do not stop root. While alive, a process running as root accesses files
// as the unprivileged user "nobody", so permission cases behave as for a normal user.
class WithoutRootPrivileges {
  public:
    WithoutRootPrivileges() {
#ifdef Q_OS_UNIX
        if (geteuid() == 0) dropped_ = seteuid(65534) == 0;
#endif
    }
    ~WithoutRootPrivileges() {
#ifdef Q_OS_UNIX
        if (dropped_ && seteuid(0) != 0) std::abort();
#endif
    }

    // False when the process still has root's rights, so permissions would not apply.
    bool unprivileged() const {
#ifdef Q_OS_UNIX
        return geteuid() != 0;
#else
        return false;
#endif
    }
    WithoutRootPrivileges(const WithoutRootPrivileges&) = delete;
    WithoutRootPrivileges& operator=(const WithoutRootPrivileges&) = delete;

  private:
    bool dropped_ = false;
};
