// The date-time value and the run-time's date and time conversions under a given locale.
#pragma once

#include "platform/Clock.h"
#include "platform/Locale.h"

#include <optional>
#include <string>
#include <string_view>

namespace vireziriv {

// Days since 30 December 1899, the fraction being the time of day. Before that day the value is
// negative while the fraction still counts from midnight: -1.25 is 29 December 1899 06:00.
using TDateTime = double;

struct DateParts {
    int year, month, day;
};

struct TimeParts {
    int hour, minute, second, millisecond;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // month 1 to 12

// Gregorian years 1 to 9999; no value for a day that is not on the calendar.
std::optional<TDateTime> TryEncodeDate(int year, int month, int day);
// 0:00:00.000 to 23:59:59.999.
std::optional<TDateTime> TryEncodeTime(int hour, int minute, int second, int millisecond);
// As the Try forms, raising EConvertError.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);

// A whole-day date and a time of day as one value, negative dates included.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);
// The day that holds `value`: its integer part, cut toward zero.
TDateTime DateOf(TDateTime value);
DateParts DecodeDate(TDateTime value);
TimeParts DecodeTime(TDateTime value);
// 0 for Sunday to 6 for Saturday, as UserLocale::shortDayNames counts.
int DayOfWeek(TDateTime value);

TDateTime ToDateTime(const platform::LocalTime& time);
// The local date and time.
TDateTime Now();

// A date: numbers in the order of the locale's short date format, joined by its date separator,
// the year completed within a 50-year window around `currentYear`; the text must end there.
std::optional<TDateTime> TryStrToDate(std::string_view text, const platform::UserLocale& locale,
                                      int currentYear);
// A time of day: hours, then optionally minutes, seconds and milliseconds, with an optional AM or
// PM marker before or after; the text must end there.
std::optional<TDateTime> TryStrToTime(std::string_view text, const platform::UserLocale& locale);
// A date followed by the end or by a time (anything after the time is ignored), else a time alone.
std::optional<TDateTime> TryStrToDateTime(std::string_view text, const platform::UserLocale& locale,
                                          int currentYear);

// As the Try forms, raising EConvertError.
TDateTime StrToDate(std::string_view text, const platform::UserLocale& locale, int currentYear);
TDateTime StrToTime(std::string_view text, const platform::UserLocale& locale);
TDateTime StrToDateTime(std::string_view text, const platform::UserLocale& locale, int currentYear);

// The pattern m"/"d"("ddd")": month and day without leading zeros, the locale's abbreviated day
// name in parentheses, e.g. 5/10(金).
std::string FormatMonthDayWeekday(TDateTime value, const platform::UserLocale& locale);

}  // namespace vireziriv
