// The user's locale: text comparison and the date and time conventions.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vireziriv::platform {

// Locale-aware comparison of the user's default locale: negative, zero or positive.
int CompareText(std::string_view a, std::string_view b);  // case ignored
int CompareStr(std::string_view a, std::string_view b);   // case counts

// What date and time conversions and wording need from the user's locale, in code page 932.
struct UserLocale {
    std::string shortDateFormat;  // e.g. "yyyy/MM/dd"
    std::string dateSeparator;
    std::string timeSeparator;
    std::string decimalSeparator;
    std::string timeAmString;
    std::string timePmString;
    std::array<std::string, 7> shortDayNames;  // Sunday first
};

// The current user's locale; POSIX has fixed Japanese conventions.
const UserLocale& CurrentUserLocale();

}  // namespace vireziriv::platform
