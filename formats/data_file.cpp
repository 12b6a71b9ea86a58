#include "formats/data_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <stdlib.h>
#include <sys/stat.h>
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "formats/file_bytes.h"

std::string counterFileName(const std::string& name, int counter) {
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && name.find_first_of("\\/:", dot) != std::string::npos)
        dot = std::string::npos;
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    return stem + "_" + std::to_string(counter) + extension;
}

std::string dataFileBlock(const std::string& scannerRecord, bool withScannerRecord,
                          const std::vector<std::string>& rows) {
    std::string block = withScannerRecord ? scannerRecord : std::string();
    for (const auto& row : rows) block += row + "\r\n";
    return block;
}

namespace {

std::string germanReason(int error) {
    switch (error) {
        case ENOENT:
            return "Der Ordner existiert nicht.";
        case ENOTDIR:
            return "Ein Teil des Pfades ist kein Ordner.";
        case EACCES:
        case EPERM:
            return "Keine Berechtigung zum Schreiben.";
        case EROFS:
            return "Der Datenträger ist schreibgeschützt.";
        case ENOSPC:
            return "Der Datenträger ist voll.";
#ifdef EDQUOT
        case EDQUOT:
            return "Das Speicherkontingent ist erschöpft.";
#endif
        case EISDIR:
            return "Der Name bezeichnet einen Ordner.";
        case ENAMETOOLONG:
            return "Der Dateiname ist zu lang.";
        case EIO:
            return "Ein-/Ausgabefehler des Datenträgers.";
        default:
            return std::string("Systemfehler: ") + std::strerror(error);
    }
}

#ifdef _WIN32
// Opened so that no other program writes the file meanwhile: a second writer (another
// running copy appending) waits its turn for up to five seconds, as the lock makes it on
// other systems, and then fails with EWOULDBLOCK.
int openFile(const std::string& path, bool append) {
    (void)append;
    for (int tries = 0; tries < 2500; ++tries) {
        int fd = -1;
        const errno_t error = _sopen_s(&fd, path.c_str(), _O_WRONLY | _O_CREAT | _O_BINARY,
                                       _SH_DENYWR, _S_IREAD | _S_IWRITE);
        if (error == 0) return fd;
        if (_doserrno != ERROR_SHARING_VIOLATION) {
            errno = error;
            return -1;
        }
        Sleep(2);
    }
    errno = EWOULDBLOCK;
    return -1;
}
long long fileEnd(int fd) {
    return _lseeki64(fd, 0, SEEK_END);
}
bool writeAt(int fd, long long at, const std::string& bytes) {
    return _lseeki64(fd, at, SEEK_SET) == at &&
           _write(fd, bytes.data(), static_cast<unsigned>(bytes.size())) ==
               static_cast<int>(bytes.size());
}
bool cutAt(int fd, long long at) {
    return _chsize_s(fd, at) == 0;
}
bool flushFile(int fd) {
    return _commit(fd) == 0;
}
void closeFile(int fd) {
    _close(fd);
}
// The sharing mode of openFile keeps a second writer out.
bool lockFile(int) {
    return true;
}
struct FileIdentity {
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity identityOf(int) {
    return {};
}
// Replacing through a temporary file needs no more than a new file in the folder.
bool replaceInPlaceOnly(const std::string&) {
    return false;
}
bool mayWrite(const std::string& path) {
    return _access(path.c_str(), 2) == 0 || errno == ENOENT;
}
#else
int openFile(const std::string& path, bool append) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : 0), 0644);
}
long long fileEnd(int fd) {
    return ::lseek(fd, 0, SEEK_END);
}
bool writeAt(int fd, long long at, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(at + static_cast<long long>(done)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}
// All of it in one write: a process ended in between cannot leave part of the block behind
// (only the kernel's copying of a block longer than a memory page can still be cut short;
// the undo record below covers that and a power cut).
bool appendAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}
bool cutAt(int fd, long long at) {
    return ::ftruncate(fd, static_cast<off_t>(at)) == 0;
}
bool flushFile(int fd) {
    return ::fsync(fd) == 0;
}
void closeFile(int fd) {
    ::close(fd);
}
// Another running copy appending to the same file waits its turn; a lock held for long by
// some other program is given up on.
bool lockFile(int fd) {
    for (int tries = 0; tries < 2500; ++tries) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        ::usleep(2000);
    }
    errno = EWOULDBLOCK;
    return false;
}
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity identityOf(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) return {};
    return {status.st_dev, status.st_ino};
}
// A device, a pipe or a file with more than one name is written where it is: a new file
// put in its place would not be what the other names (or the device) lead to.
bool replaceInPlaceOnly(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return false;
    return !S_ISREG(status.st_mode) || status.st_nlink > 1;
}
// True for a file this process may write, and for one that is not there yet.
bool mayWrite(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 || errno == ENOENT;
}
#endif

// The file the name leads to: a link is followed, so the new content goes where it did.
std::string realTarget(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    const auto target = std::filesystem::canonical(path, error);
    return error ? path : target.string();
}

// The undo record of an append: the file's length before it and after it, and which file
// it was. While it exists, the append may be incomplete.
std::string undoRecordFor(const std::string& path) {
    return path + ".lvundo";
}

struct UndoRecord {
    long long before = 0, after = 0;
    unsigned long long device = 0, inode = 0;
};

std::string undoText(const UndoRecord& record) {
    return std::to_string(record.before) + " " + std::to_string(record.after) + " " +
           std::to_string(record.device) + " " + std::to_string(record.inode) + "\n";
}

std::optional<UndoRecord> readUndoRecord(const std::string& path) {
    const auto text = readFileBytes(undoRecordFor(path));
    if (!text) return std::nullopt;
    UndoRecord record;
    if (std::sscanf(text->c_str(), "%lld %lld %llu %llu", &record.before, &record.after,
                    &record.device, &record.inode) != 4)
        return UndoRecord{-1, -1, 0, 0};
    return record;
}

FileIdentity identityFrom(const UndoRecord& record) {
#ifdef _WIN32
    (void)record;
    return {};
#else
    return {static_cast<dev_t>(record.device), static_cast<ino_t>(record.inode)};
#endif
}

void removeUndoRecord(const std::string& path) {
    if (std::remove(undoRecordFor(path).c_str()) == 0) flushDirectoryOf(path);
}

// With the file open and locked: takes back an append that an undo record says did not
// finish, when the file is still the one it was written to and no longer than it made it.
void rollBackUnfinishedAppend(const std::string& path, int fd) {
    const auto record = readUndoRecord(path);
    if (!record) return;
    const long long size = fileEnd(fd);
    if (record->before >= 0 && identityOf(fd) == identityFrom(*record) && size >= record->before &&
        size <= record->after) {
        cutAt(fd, record->before);
        flushFile(fd);
    }
    removeUndoRecord(path);
}

bool fail(std::string& reason, int error) {
    reason = germanReason(error);
    return false;
}

bool appendToFile(const std::string& path, const std::string& bytes, std::string& reason) {
    const int fd = openFile(path, true);
    if (fd < 0 && errno == EWOULDBLOCK) {
        reason = "Die Datei wird gerade von einem anderen Programm beschrieben.";
        return false;
    }
    if (fd < 0) return fail(reason, errno);
    if (!lockFile(fd)) {
        const int error = errno;
        closeFile(fd);
        reason = error == EWOULDBLOCK
                     ? "Die Datei wird gerade von einem anderen Programm beschrieben."
                     : germanReason(error);
        return false;
    }
    rollBackUnfinishedAppend(path, fd);
    const long long end = fileEnd(fd);
    if (end < 0) {
        const int error = errno;
        closeFile(fd);
        return fail(reason, error);
    }
    // Where the folder takes no new file there is no undo record; the single write still
    // keeps a half block from a process that is ended.
    UndoRecord record{end, end + static_cast<long long>(bytes.size())};
#ifndef _WIN32
    // On Windows the file's identity is no part of the record: it has no inode.
    const FileIdentity identity = identityOf(fd);
    record.device = static_cast<unsigned long long>(identity.device);
    record.inode = static_cast<unsigned long long>(identity.inode);
#endif
    const bool undoable = writeFileAtomically(undoRecordFor(path), undoText(record));
#ifdef _WIN32
    const bool ok = writeAt(fd, end, bytes) && flushFile(fd);
#else
    const bool ok = appendAll(fd, bytes) && flushFile(fd);
#endif
    const int error = errno;
    // A failed append leaves the earlier content as it was.
    if (!ok) {
        cutAt(fd, end);
        flushFile(fd);
    }
    if (undoable) removeUndoRecord(path);
    closeFile(fd);
    if (!ok) return fail(reason, error);
    flushDirectoryOf(path);
    return true;
}

// The old way, for what cannot be replaced: write from the start, cut off the rest.
bool overwriteInPlace(const std::string& path, const std::string& bytes, std::string& reason) {
    const int fd = openFile(path, false);
    if (fd < 0) return fail(reason, errno);
    const bool ok =
        writeAt(fd, 0, bytes) && cutAt(fd, static_cast<long long>(bytes.size())) && flushFile(fd);
    const int error = errno;
    closeFile(fd);
    if (!ok) return fail(reason, error);
    flushDirectoryOf(path);
    return true;
}

bool replaceFile(const std::string& path, const std::string& bytes, std::string& reason) {
    const std::string target = realTarget(path);
    if (replaceInPlaceOnly(target)) return overwriteInPlace(target, bytes, reason);
    // A file that may not be written is not replaced behind its back either.
    if (!mayWrite(target)) return fail(reason, errno);
    int error = 0;
    if (writeFileAtomically(target, bytes, nullptr, &error)) {
        // An undo record of an earlier append speaks of a file that is gone now.
        removeUndoRecord(target);
        return true;
    }
    // A folder that takes no new file, holding a file that may be written: as before.
    const bool folderClosed = error == EACCES || error == EPERM;
    std::error_code missing;
    if (folderClosed && std::filesystem::exists(target, missing)) {
        return overwriteInPlace(target, bytes, reason);
    }
    return fail(reason, error);
}

}  // namespace

void recoverDataFile(const std::string& path) {
    if (path.empty()) return;
    const std::string target = realTarget(path);
    if (!readUndoRecord(target)) return;
    const int fd = openFile(target, true);
    if (fd < 0) {
        if (errno == ENOENT) removeUndoRecord(target);
        return;
    }
    if (lockFile(fd)) rollBackUnfinishedAppend(target, fd);
    closeFile(fd);
}

bool dataFileHoldsData(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::file_size(path, error) > 0 && !error;
}

bool writeDataFile(const std::string& path, const std::string& bytes, bool append,
                   std::string& reason) {
    if (path.empty()) {
        reason = "Es ist kein Dateiname angegeben.";
        return false;
    }
    return append ? appendToFile(realTarget(path), bytes, reason)
                  : replaceFile(path, bytes, reason);
}
