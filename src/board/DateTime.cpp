// The date-time value and the run-time's date and time conversions.
#include "board/DateTime.h"

#include "base/Exceptions.h"
#include "platform/Cp932.h"

#include <cmath>

namespace vireziriv {
namespace {

constexpr double kMsPerDay = 86400000.0;
// Days from 30 December 1899 to 1 January 1970, the epoch of the calendar arithmetic below.
constexpr long long kEpochOffset = 25569;

// Days since 1 January 1970 of a proleptic Gregorian date; the year is counted from 1 March so
// that the leap day falls at its end.
long long DaysFromCivil(long long year, int month, int day) {
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

DateParts CivilFromDays(long long days) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long shifted = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    const int month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    return {static_cast<int>(yearOfEra + era * 400 + (month <= 2)), month, day};
}

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

// The first of D, Y (or the era year E) and M in the short date format decides; none means M.
DateOrder DateOrderOf(std::string_view format) {
    for (std::size_t i = 0; i < format.size(); i += cp932::CharLength(format, i)) {
        if (cp932::CharLength(format, i) != 1) continue;
        switch (format[i]) {
            case 'd': case 'D': return DateOrder::DayMonthYear;
            case 'y': case 'Y': case 'e': case 'E': return DateOrder::YearMonthDay;
            case 'm': case 'M': return DateOrder::MonthDayYear;
            default: break;
        }
    }
    return DateOrder::MonthDayYear;
}

// A year written with one or two digits falls in the 100 years from currentYear - 50.
int CompleteCentury(int year, int currentYear) {
    const int windowStart = currentYear - 50;
    year += windowStart / 100 * 100;
    if (year < windowStart) year += 100;
    return year;
}

// Reads the parts of a date or time text from left to right. Every part may be preceded by
// spaces; a separator that is found commits the reader to the number after it.
class Scanner {
public:
    Scanner(std::string_view text, const platform::UserLocale& locale) : text_(text), locale_(locale) {}

    bool AtEnd() const { return pos_ == text_.size(); }

    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    }

    struct Number {
        int value;
        int digits;
    };

    // At most four digits are read, so a longer run leaves a digit where a separator should be.
    std::optional<Number> ReadNumber() {
        SkipBlanks();
        Number n{0, 0};
        while (n.digits < 4 && pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            n.value = n.value * 10 + (text_[pos_++] - '0');
            ++n.digits;
        }
        if (n.digits == 0) return std::nullopt;
        return n;
    }

    bool SkipSeparator(std::string_view separator) {
        SkipBlanks();
        if (separator.empty() || text_.substr(pos_).substr(0, separator.size()) != separator) return false;
        pos_ += separator.size();
        return true;
    }

    // AM and PM markers are matched with ASCII case ignored; double-byte characters must be equal.
    bool SkipMarker(std::string_view marker) {
        SkipBlanks();
        if (marker.empty() || text_.size() - pos_ < marker.size()) return false;
        for (std::size_t i = 0; i < marker.size(); i += cp932::CharLength(marker, i)) {
            if (cp932::CharLength(marker, i) == 2) {
                if (text_.substr(pos_ + i, 2) != marker.substr(i, 2)) return false;
            } else if (cp932::UpperAscii(text_[pos_ + i]) != cp932::UpperAscii(marker[i])) {
                return false;
            }
        }
        pos_ += marker.size();
        return true;
    }

    std::optional<TDateTime> ScanDate(int currentYear) {
        const std::string_view separator = locale_.dateSeparator;
        const auto first = ReadNumber();
        if (!first || !SkipSeparator(separator)) return std::nullopt;
        const auto second = ReadNumber();
        if (!second) return std::nullopt;
        const DateOrder order = DateOrderOf(locale_.shortDateFormat);
        // Two numbers are a day and month or a month and day of the current year.
        int year = currentYear;
        int month = order == DateOrder::DayMonthYear ? second->value : first->value;
        int day = order == DateOrder::DayMonthYear ? first->value : second->value;
        if (SkipSeparator(separator)) {
            const auto third = ReadNumber();
            if (!third) return std::nullopt;
            Number y = *third;
            if (order == DateOrder::YearMonthDay) {
                y = *first;
                month = second->value;
                day = third->value;
            }
            year = y.digits <= 2 ? CompleteCentury(y.value, currentYear) : y.value;
        }
        SkipSeparator(separator);
        SkipBlanks();
        return TryEncodeDate(year, month, day);
    }

    std::optional<TDateTime> ScanTime() {
        int baseHour = ScanMarker();
        const auto hour = ReadNumber();
        if (!hour) return std::nullopt;
        Number minute{0, 0}, second{0, 0}, millisecond{0, 0};
        if (SkipSeparator(locale_.timeSeparator)) {
            if (!Read(minute)) return std::nullopt;
            if (SkipSeparator(locale_.timeSeparator)) {
                if (!Read(second)) return std::nullopt;
                if (SkipSeparator(locale_.decimalSeparator) && !Read(millisecond)) return std::nullopt;
            }
        }
        if (baseHour < 0) baseHour = ScanMarker();
        int h = hour->value;
        if (baseHour >= 0) {
            // A twelve-hour clock: 12 is the first hour of its half of the day.
            if (h == 0 || h > 12) return std::nullopt;
            h = h % 12 + baseHour;
        }
        SkipBlanks();
        return TryEncodeTime(h, minute.value, second.value, millisecond.value);
    }

private:
    bool Read(Number& n) {
        const auto read = ReadNumber();
        if (read) n = *read;
        return read.has_value();
    }

    // 0 after an AM marker, 12 after a PM marker, -1 when there is none.
    int ScanMarker() {
        if (SkipMarker(locale_.timeAmString) || SkipMarker("AM")) return 0;
        if (SkipMarker(locale_.timePmString) || SkipMarker("PM")) return 12;
        return -1;
    }

    std::string_view text_;
    const platform::UserLocale& locale_;
    std::size_t pos_ = 0;
};

std::string Quoted(std::string_view text) { return std::string("'").append(text).append("'"); }

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<TDateTime> TryEncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return static_cast<TDateTime>(DaysFromCivil(year, month, day) + kEpochOffset);
}

std::optional<TDateTime> TryEncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999) {
        return std::nullopt;
    }
    return ((hour * 60 + minute) * 60 + second) * 1000.0 / kMsPerDay + millisecond / kMsPerDay;
}

TDateTime EncodeDate(int year, int month, int day) {
    if (auto date = TryEncodeDate(year, month, day)) return *date;
    throw EConvertError("Invalid argument to date encode");
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    if (auto time = TryEncodeTime(hour, minute, second, millisecond)) return *time;
    throw EConvertError("Invalid argument to time encode");
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time) { return date >= 0 ? date + time : date - time; }

TDateTime DateOf(TDateTime value) { return std::trunc(value); }

DateParts DecodeDate(TDateTime value) {
    return CivilFromDays(static_cast<long long>(DateOf(value)) - kEpochOffset);
}

TimeParts DecodeTime(TDateTime value) {
    // Rounded to the millisecond; a value a hair below midnight stays in its own day.
    const long long msPerDay = static_cast<long long>(kMsPerDay);
    long long ms = std::llround(std::fabs(value - DateOf(value)) * kMsPerDay);
    if (ms >= msPerDay) ms = msPerDay - 1;
    const int millisecond = static_cast<int>(ms % 1000);
    const int seconds = static_cast<int>(ms / 1000);
    return {seconds / 3600, seconds / 60 % 60, seconds % 60, millisecond};
}

int DayOfWeek(TDateTime value) {
    // Day 0, 30 December 1899, was a Saturday.
    const long long days = static_cast<long long>(DateOf(value));
    return static_cast<int>(((days + 6) % 7 + 7) % 7);
}

TDateTime ToDateTime(const platform::LocalTime& time) {
    return ComposeDateTime(EncodeDate(time.year, time.month, time.day),
                           EncodeTime(time.hour, time.minute, time.second, time.millisecond));
}

TDateTime Now() { return ToDateTime(platform::LocalNow()); }

std::optional<TDateTime> TryStrToDate(std::string_view text, const platform::UserLocale& locale,
                                      int currentYear) {
    Scanner scanner(text, locale);
    const auto date = scanner.ScanDate(currentYear);
    if (!date || !scanner.AtEnd()) return std::nullopt;
    return date;
}

std::optional<TDateTime> TryStrToTime(std::string_view text, const platform::UserLocale& locale) {
    Scanner scanner(text, locale);
    const auto time = scanner.ScanTime();
    if (!time || !scanner.AtEnd()) return std::nullopt;
    return time;
}

std::optional<TDateTime> TryStrToDateTime(std::string_view text, const platform::UserLocale& locale,
                                          int currentYear) {
    Scanner scanner(text, locale);
    if (const auto date = scanner.ScanDate(currentYear)) {
        if (scanner.AtEnd()) return date;
        if (const auto time = scanner.ScanTime()) return ComposeDateTime(*date, *time);
    }
    return TryStrToTime(text, locale);
}

TDateTime StrToDate(std::string_view text, const platform::UserLocale& locale, int currentYear) {
    if (auto date = TryStrToDate(text, locale, currentYear)) return *date;
    throw EConvertError(Quoted(text) + " is not a valid date");
}

TDateTime StrToTime(std::string_view text, const platform::UserLocale& locale) {
    if (auto time = TryStrToTime(text, locale)) return *time;
    throw EConvertError(Quoted(text) + " is not a valid time");
}

TDateTime StrToDateTime(std::string_view text, const platform::UserLocale& locale, int currentYear) {
    if (auto value = TryStrToDateTime(text, locale, currentYear)) return *value;
    throw EConvertError(Quoted(text) + " is not a valid date and time");
}

std::string FormatMonthDayWeekday(TDateTime value, const platform::UserLocale& locale) {
    const DateParts date = DecodeDate(value);
    return std::to_string(date.month) + "/" + std::to_string(date.day) + "(" +
           locale.shortDayNames[static_cast<std::size_t>(DayOfWeek(value))] + ")";
}

}  // namespace vireziriv
