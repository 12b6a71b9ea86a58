#pragma once

#include <functional>

#include "text/local_date_time.h"

// The current local date and time. Tests replace the source with setClock().
LocalDateTime currentDateTime();
// Installs a clock; an empty function goes back to the system clock.
void setClock(std::function<LocalDateTime()> clock);
