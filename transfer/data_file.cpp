#include "transfer/data_file.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "settings/file_bytes.h"

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
int openFile(const std::string& path) {
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
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
#else
int openFile(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
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
bool cutAt(int fd, long long at) {
    return ::ftruncate(fd, static_cast<off_t>(at)) == 0;
}
bool flushFile(int fd) {
    return ::fsync(fd) == 0;
}
void closeFile(int fd) {
    ::close(fd);
}
#endif

}  // namespace

bool writeDataFile(const std::string& path, const std::string& bytes, bool append,
                   std::string& reason) {
    if (path.empty()) {
        reason = "Es ist kein Dateiname angegeben.";
        return false;
    }
    const int fd = openFile(path);
    if (fd < 0) {
        reason = germanReason(errno);
        return false;
    }
    const long long end = fileEnd(fd);
    const long long start = append ? end : 0;
    // Overwriting cuts off whatever the file held beyond the new content.
    const bool ok = end >= 0 && writeAt(fd, start, bytes) &&
                    cutAt(fd, start + static_cast<long long>(bytes.size())) && flushFile(fd);
    if (!ok) {
        const int error = errno;
        // An append that failed half way leaves the earlier content as it was.
        if (append && end >= 0) cutAt(fd, end);
        reason = germanReason(error);
    }
    closeFile(fd);
    // A file made just now needs its folder entry on the disk as well.
    if (ok) flushDirectoryOf(path);
    return ok;
}
