#include "formats/file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

bool fail(std::string* reason, int error) {
    if (reason) *reason = std::generic_category().message(error);
    return false;
}

#ifdef _WIN32
bool flushToDisk(std::FILE* file) {
    return _commit(_fileno(file)) == 0;
}

// Writes all bytes to the new temporary file; returns 0 or the error number.
int writeTemporary(const std::string& temporary, std::string_view bytes) {
    // A leftover of an interrupted save is removed; the exclusive create then makes sure
    // we never write through a link someone left under that name.
    std::remove(temporary.c_str());
    FileHandle file(std::fopen(temporary.c_str(), "wbx"));
    if (!file) return errno;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    if (!written || std::fflush(file.get()) != 0 || !flushToDisk(file.get())) {
        const int error = errno != 0 ? errno : EIO;
        file.reset();
        std::remove(temporary.c_str());
        return error;
    }
    if (std::fclose(file.release()) != 0) {
        const int error = errno;
        std::remove(temporary.c_str());
        return error;
    }
    return 0;
}

int replaceFile(const std::string& temporary, const std::string& path, std::string_view bytes) {
    if (const int error = writeTemporary(temporary, bytes); error != 0) return error;
    std::error_code renameError;
    std::filesystem::rename(temporary, path, renameError);
    if (!renameError) return 0;
    std::remove(temporary.c_str());
    return renameError.value() != 0 ? renameError.value() : EIO;
}
#else
// Opens the temporary file for this save alone. Two running copies saving the same file at
// once share the one name, so its lock says whose it is: the second waits until the first
// has renamed its file into place, then starts afresh. A leftover of an interrupted save is
// taken over; a link left under the name is removed, never written through.
int openTemporary(const std::string& temporary) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == ELOOP) {
            ::unlink(temporary.c_str());
            continue;
        }
        if (fd < 0) return -1;
        struct stat opened {
        }, named{};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &opened) == 0 &&
            ::lstat(temporary.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
            opened.st_ino == named.st_ino) {
            if (S_ISREG(opened.st_mode) && opened.st_nlink == 1) return fd;
            // A hard link to some other file: not ours to write through.
            ::unlink(temporary.c_str());
        }
        // Renamed into place or removed by the copy that held it: try afresh.
        ::close(fd);
    }
    errno = EBUSY;
    return -1;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The rename would otherwise hand the file the default permissions of a new one (and, for
// root, its owner).
void copyOwnerAndPermissions(const std::string& from, int to) {
    struct stat status {};
    if (::stat(from.c_str(), &status) != 0) return;
    [[maybe_unused]] const int ignored = ::fchown(to, status.st_uid, status.st_gid);
    ::fchmod(to, status.st_mode & 07777);
}

int replaceFile(const std::string& temporary, const std::string& path, std::string_view bytes) {
    const int fd = openTemporary(temporary);
    if (fd < 0) return errno;
    copyOwnerAndPermissions(path, fd);
    int error = 0;
    if (::ftruncate(fd, 0) != 0 || !writeAll(fd, bytes) || ::fsync(fd) != 0 ||
        ::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno != 0 ? errno : EIO;
    // Removed while still locked, so a copy waiting for it starts afresh.
    if (error != 0) ::unlink(temporary.c_str());
    ::close(fd);
    return error;
}
#endif

}  // namespace

std::optional<std::string> readFileBytes(const std::string& path, bool* missing) {
    if (missing) *missing = false;
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        // Below a file that is not a folder nothing can exist either.
        if (missing) *missing = errno == ENOENT || errno == ENOTDIR;
        return std::nullopt;
    }
    std::string bytes;
    char buffer[16384];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        bytes.append(buffer, count);
    }
    if (std::ferror(file.get())) return std::nullopt;
    return bytes;
}

std::string temporaryFileFor(const std::string& path) {
    return path + ".lvtmp";
}

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* reason,
                         int* errorNumber) {
    errno = 0;
    const int error = replaceFile(temporaryFileFor(path), path, bytes);
    if (errorNumber) *errorNumber = error;
    if (error != 0) return fail(reason, error);
    flushDirectoryOf(path);
    return true;
}

void flushDirectoryOf(const std::string& path) {
#ifndef _WIN32
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    const std::string directory = parent.empty() ? std::string(".") : parent.string();
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
#else
    (void)path;
#endif
}
