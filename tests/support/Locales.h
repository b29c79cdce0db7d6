// User locales for date and time tests, so that they do not depend on the machine's.
#pragma once

#include "platform/Locale.h"
#include "support/Sjis.h"

namespace vireziriv::test {

inline platform::UserLocale Japanese() {
    return {"yyyy/MM/dd", "/", ":", ".", Sjis("午前"), Sjis("午後"),
            {Sjis("日"), Sjis("月"), Sjis("火"), Sjis("水"), Sjis("木"), Sjis("金"), Sjis("土")}};
}

inline platform::UserLocale British() {
    return {"dd/MM/yyyy", "/", ":", ".", "am", "pm", {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}};
}

inline platform::UserLocale American() {
    return {"M/d/yyyy", "/", ":", ".", "AM", "PM", {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}};
}

// Day first with dots, and no AM/PM texts of its own.
inline platform::UserLocale German() {
    return {"dd.MM.yyyy", ".", ":", ",", "", "", {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"}};
}

}  // namespace vireziriv::test
