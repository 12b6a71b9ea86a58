#include "scanner/clock_buffer.h"

std::array<uint8_t, 6> clockBuffer(const LocalDateTime& value) {
    const auto byte = [](int field) { return static_cast<uint8_t>(field); };
    return {byte(value.second), byte(value.minute), byte(value.hour),
            byte(value.day),    byte(value.month),  byte(value.year % 100)};
}
