#include "text/clock.h"

#include <chrono>
#include <ctime>

namespace {
std::function<LocalDateTime()>& installedClock() {
    static std::function<LocalDateTime()> clock;
    return clock;
}

LocalDateTime systemDateTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    LocalDateTime result;
    result.year = local.tm_year + 1900;
    result.month = local.tm_mon + 1;
    result.day = local.tm_mday;
    result.hour = local.tm_hour;
    result.minute = local.tm_min;
    result.second = local.tm_sec;
    result.millisecond =
        static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return result;
}
}  // namespace

LocalDateTime currentDateTime() {
    const auto& clock = installedClock();
    return clock ? clock() : systemDateTime();
}

void setClock(std::function<LocalDateTime()> clock) {
    installedClock() = std::move(clock);
}
