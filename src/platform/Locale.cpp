// The user's locale: the Windows user locale, or fixed Japanese conventions on POSIX.
#include "platform/Locale.h"

#include "platform/Cp932.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vireziriv::platform {

#ifdef _WIN32

namespace {

int Compare(std::string_view a, std::string_view b, DWORD flags) {
    // CompareStringA refuses a null pointer even with a length of 0, which an empty view may carry.
    auto bytes = [](std::string_view s) { return s.empty() ? "" : s.data(); };
    // It returns 1, 2 or 3 for less, equal and greater.
    return CompareStringA(LOCALE_USER_DEFAULT, flags, bytes(a), static_cast<int>(a.size()), bytes(b),
                          static_cast<int>(b.size())) -
           2;
}

std::string LocaleText(LCTYPE type, const char* fallback) {
    char buffer[256] = {};
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return n > 1 ? std::string(buffer, static_cast<std::size_t>(n - 1)) : std::string(fallback);
}

UserLocale ReadUserLocale() {
    UserLocale locale;
    locale.shortDateFormat = LocaleText(LOCALE_SSHORTDATE, "yyyy/MM/dd");
    locale.dateSeparator = LocaleText(LOCALE_SDATE, "/");
    locale.timeSeparator = LocaleText(LOCALE_STIME, ":");
    locale.decimalSeparator = LocaleText(LOCALE_SDECIMAL, ".");
    locale.timeAmString = LocaleText(LOCALE_S1159, "AM");
    locale.timePmString = LocaleText(LOCALE_S2359, "PM");
    // Windows numbers the day names from Monday; the list starts on Sunday.
    constexpr LCTYPE kDays[7] = {LOCALE_SABBREVDAYNAME7, LOCALE_SABBREVDAYNAME1, LOCALE_SABBREVDAYNAME2,
                                 LOCALE_SABBREVDAYNAME3, LOCALE_SABBREVDAYNAME4, LOCALE_SABBREVDAYNAME5,
                                 LOCALE_SABBREVDAYNAME6};
    for (std::size_t i = 0; i < 7; ++i) locale.shortDayNames[i] = LocaleText(kDays[i], "");
    return locale;
}

}  // namespace

int CompareText(std::string_view a, std::string_view b) { return Compare(a, b, NORM_IGNORECASE); }
int CompareStr(std::string_view a, std::string_view b) { return Compare(a, b, 0); }

#else

namespace {

// The conventions of a Japanese Windows user locale, in code page 932: 午前 and 午後, and the day
// names 日 月 火 水 木 金 土, Sunday first.
UserLocale ReadUserLocale() {
    return {"yyyy/MM/dd", "/", ":", ".", "\x8c\xdf\x91O", "\x8c\xdf\x8c\xe3",
            {"\x93\xfa", "\x8c\x8e", "\x89\xce", "\x90\x85", "\x96\xd8", "\x8b\xe0", "\x93y"}};
}

}  // namespace

// Without a user locale, the board's own order: bytes, ASCII letters folded where case is ignored.
int CompareText(std::string_view a, std::string_view b) { return cp932::CompareIgnoringAsciiCase(a, b); }
int CompareStr(std::string_view a, std::string_view b) {
    const int order = a.compare(b);
    return (order > 0) - (order < 0);
}

#endif

const UserLocale& CurrentUserLocale() {
    static const UserLocale locale = ReadUserLocale();
    return locale;
}

}  // namespace vireziriv::platform
