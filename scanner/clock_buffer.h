#pragma once

#include <array>
#include <cstdint>

#include "text/local_date_time.h"

// The 6-byte clock buffer the scanner takes: second, minute, hour (0-23), day, month, year
// of the century.
std::array<uint8_t, 6> clockBuffer(const LocalDateTime& value);
