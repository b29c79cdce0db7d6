// The local date and time.
#include "platform/Clock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#endif

namespace vireziriv::platform {

LocalTime LocalNow() {
#ifdef _WIN32
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
#else
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
            local.tm_sec > 59 ? 59 : local.tm_sec, static_cast<int>(now.tv_nsec / 1000000)};
#endif
}

}  // namespace vireziriv::platform
