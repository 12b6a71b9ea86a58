#include "settings/file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
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

bool flushToDisk(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// The rename would otherwise hand the file the default permissions of a new one.
void copyPermissions(const std::string& from, std::FILE* to) {
#ifndef _WIN32
    struct stat status {};
    if (stat(from.c_str(), &status) == 0) fchmod(fileno(to), status.st_mode & 07777);
#else
    (void)from;
    (void)to;
#endif
}

// Writes all bytes to the new temporary file; returns 0 or the error number.
int writeTemporary(const std::string& temporary, const std::string& target,
                   std::string_view bytes) {
    // A leftover of an interrupted save is removed; the exclusive create then makes sure
    // we never write through a link someone left under that name.
    std::remove(temporary.c_str());
    FileHandle file(std::fopen(temporary.c_str(), "wbx"));
    if (!file) return errno;
    copyPermissions(target, file.get());
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

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* reason) {
    const std::string temporary = temporaryFileFor(path);
    errno = 0;
    if (const int error = writeTemporary(temporary, path, bytes); error != 0) {
        return fail(reason, error);
    }
    std::error_code renameError;
    std::filesystem::rename(temporary, path, renameError);
    if (renameError) {
        std::remove(temporary.c_str());
        if (reason) *reason = renameError.message();
        return false;
    }
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
