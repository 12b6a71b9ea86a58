#pragma once

#include <functional>

// Local date and time of day, as the program reads the PC's clock.
struct LocalDateTime {
    int year = 2000, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    bool operator==(const LocalDateTime&) const = default;
};

// The current local date and time. Tests replace the source with setClock().
LocalDateTime currentDateTime();
// Installs a clock; an empty function goes back to the system clock.
void setClock(std::function<LocalDateTime()> clock);
