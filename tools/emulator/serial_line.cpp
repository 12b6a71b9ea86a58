#include "serial_line.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// 9600 baud, start bit, 8 data bits, parity, stop bit.
constexpr std::chrono::nanoseconds byteTime(11'000'000'000LL / 9600);

void makeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) return;  // not a terminal: nothing to set
    cfmakeraw(&settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    settings.c_cflag |= CLOCAL | CREAD | PARENB | PARODD;
    settings.c_cflag &= ~CSTOPB;
    tcsetattr(fd, TCSANOW, &settings);
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

LineFaults::LineFaults(double dropRate, double flipRate, unsigned seed)
    : dropRate_(dropRate), flipRate_(flipRate), random_(seed) {}

std::vector<uint8_t> LineFaults::apply(const std::vector<uint8_t>& bytes) {
    if (!any()) return bytes;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    std::uniform_int_distribution<int> bit(0, 7);
    std::vector<uint8_t> received;
    for (uint8_t byte : bytes) {
        if (chance(random_) < dropRate_) continue;
        if (chance(random_) < flipRate_) byte ^= static_cast<uint8_t>(1 << bit(random_));
        received.push_back(byte);
    }
    return received;
}

SerialLine::SerialLine(bool fast, LineFaults faults, const std::atomic<bool>& stop)
    : fast_(fast), faults_(std::move(faults)), stop_(stop) {}

SerialLine::~SerialLine() {
    if (keepOpen_ >= 0) close(keepOpen_);
    if (fd_ >= 0) close(fd_);
}

bool SerialLine::openPseudoTerminal(std::string& path, std::string& error) {
    fd_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd_ < 0 || grantpt(fd_) != 0 || unlockpt(fd_) != 0) {
        error = systemError("cannot create a pseudo-terminal");
        return false;
    }
    const char* name = ptsname(fd_);
    if (!name) {
        error = systemError("cannot name the pseudo-terminal");
        return false;
    }
    path = name;
    keepOpen_ = open(name, O_RDWR | O_NOCTTY);
    // Raw from the start: a terminal that echoes would send our answers back to us.
    if (keepOpen_ >= 0) makeRaw(keepOpen_);
    makeRaw(fd_);
    return true;
}

bool SerialLine::openDevice(const std::string& path, std::string& error) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd_ < 0) {
        error = systemError("cannot open " + path);
        return false;
    }
    makeRaw(fd_);
    return true;
}

std::vector<uint8_t> SerialLine::receive(std::chrono::milliseconds timeout) {
    pollfd waiting{fd_, POLLIN, 0};
    const int ready = poll(&waiting, 1, static_cast<int>(timeout.count()));
    if (ready <= 0 || !(waiting.revents & POLLIN)) {
        // With no host on the line a pseudo-terminal reports a hang-up at once.
        if (ready > 0) sleepUntil(Clock::now() + timeout);
        return {};
    }
    uint8_t buffer[512];
    const ssize_t got = read(fd_, buffer, sizeof buffer);
    if (got <= 0) return {};
    const auto now = Clock::now();
    inboundEnd_ =
        std::max(inboundEnd_, now) + (fast_ ? std::chrono::nanoseconds(0) : byteTime * got);
    return faults_.apply(std::vector<uint8_t>(buffer, buffer + got));
}

bool SerialLine::send(const std::vector<uint8_t>& bytes, size_t count, Clock::time_point start) {
    const std::vector<uint8_t> sent(
        bytes.begin(), bytes.begin() + static_cast<long>(std::min(count, bytes.size())));
    if (!sleepUntil(start)) return false;
    if (fast_) {
        const auto onLine = faults_.apply(sent);
        return write(fd_, onLine.data(), onLine.size()) == static_cast<ssize_t>(onLine.size());
    }
    // Each byte reaches the host when its last bit would have on a 9600 baud line; whatever
    // is due is written at once, so a late wake-up does not stretch the response.
    size_t next = 0;
    while (next < sent.size()) {
        const auto elapsed = Clock::now() - start;
        const size_t due = std::min(static_cast<size_t>(elapsed / byteTime), sent.size());
        if (due > next) {
            const auto onLine = faults_.apply(
                {sent.begin() + static_cast<long>(next), sent.begin() + static_cast<long>(due)});
            if (!onLine.empty() &&
                write(fd_, onLine.data(), onLine.size()) != static_cast<ssize_t>(onLine.size()))
                return false;
            next = due;
        }
        if (next < sent.size() && !sleepUntil(start + byteTime * static_cast<long>(next + 1)))
            return false;
    }
    return true;
}

bool SerialLine::sleepUntil(Clock::time_point when) {
    while (!stop_) {
        const auto left = when - Clock::now();
        if (left <= Clock::duration::zero()) return true;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec pause{static_cast<time_t>(ns / 1'000'000'000),
                       static_cast<long>(ns % 1'000'000'000)};
        nanosleep(&pause, nullptr);  // a signal cuts it short; the loop looks at stop_
    }
    return false;
}
