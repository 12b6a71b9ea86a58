#include "formats/parameter_file.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

ParameterFile::~ParameterFile() {
#ifdef _WIN32
    if (fd_ >= 0) _close(fd_);
#else
    if (fd_ >= 0) ::close(fd_);
#endif
}

bool ParameterFile::open(const std::string& path) {
#ifdef _WIN32
    if (_sopen_s(&fd_, path.c_str(), _O_RDWR | _O_CREAT | _O_BINARY, _SH_DENYRW,
                 _S_IREAD | _S_IWRITE) != 0)
        fd_ = -1;
    return fd_ >= 0;
#else
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_SYNC | O_CLOEXEC, 0644);
    if (fd_ < 0) return false;
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
#endif
}

bool ParameterFile::writeImage(const std::string& image) {
    if (fd_ < 0) return false;
#ifdef _WIN32
    return _lseek(fd_, 0, SEEK_SET) == 0 &&
           _write(fd_, image.data(), static_cast<unsigned>(image.size())) ==
               static_cast<int>(image.size()) &&
           _commit(fd_) == 0;
#else
    size_t done = 0;
    while (done < image.size()) {
        const ssize_t n =
            ::pwrite(fd_, image.data() + done, image.size() - done, static_cast<off_t>(done));
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
#endif
}

std::string ParameterFile::readImage(size_t maxBytes) {
    std::string image(maxBytes, '\0');
    if (fd_ < 0) return {};
    size_t done = 0;
#ifdef _WIN32
    if (_lseek(fd_, 0, SEEK_SET) != 0) return {};
    const int n = _read(fd_, image.data(), static_cast<unsigned>(maxBytes));
    done = n > 0 ? static_cast<size_t>(n) : 0;
#else
    while (done < maxBytes) {
        const ssize_t n =
            ::pread(fd_, image.data() + done, maxBytes - done, static_cast<off_t>(done));
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
#endif
    image.resize(done);
    return image;
}
