// The local date and time.
#pragma once

namespace vireziriv::platform {

struct LocalTime {
    int year, month, day, hour, minute, second, millisecond;
};

LocalTime LocalNow();

}  // namespace vireziriv::platform
