#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

// What every fuzz target shares: a check that ends the run with the broken promise named,
// and a reader that takes the values a target needs from the front of its input.

#define FUZZ_CHECK(condition)                                                                    \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "%s:%d: promise broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                        \
        }                                                                                        \
    } while (false)

class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return position_ >= size_; }
    size_t remaining() const { return size_ - position_; }

    // One byte, 0 when the input is used up.
    uint8_t byte() { return empty() ? 0 : data_[position_++]; }
    // A value in [0, count), from one byte.
    unsigned pick(unsigned count) { return count == 0 ? 0 : byte() % count; }
    bool flag() { return byte() & 1; }
    // Up to `maxLength` bytes, the length given by one byte before them.
    std::string text(size_t maxLength = 255) {
        size_t length = byte();
        if (length > maxLength) length = maxLength;
        return bytes(length);
    }
    std::string bytes(size_t count) {
        if (count > remaining()) count = remaining();
        std::string out(reinterpret_cast<const char*>(data_ + position_), count);
        position_ += count;
        return out;
    }
    std::string rest() { return bytes(remaining()); }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// A folder of this run's own for targets that go through real files, in memory where the
// system offers it; removed when the run ends normally.
inline const std::string& fuzzScratchDirectory() {
    static const std::string directory = [] {
        namespace fs = std::filesystem;
        std::error_code error;
        fs::path base = "/dev/shm";
        if (!fs::is_directory(base, error)) base = fs::temp_directory_path();
        const fs::path own = base / ("lorvant-fuzz-" + std::to_string(getpid()));
        fs::create_directories(own);
        static const fs::path removeAtExit = own;
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(removeAtExit, ignored);
        });
        return own.string() + "/";
    }();
    return directory;
}
