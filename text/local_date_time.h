#pragma once

// Local date and time of day, as the program reads the PC's clock and the scanner's stamps.
struct LocalDateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    bool operator==(const LocalDateTime&) const = default;
};
