// The date-time value, its calendar rules and the date and time conversions under several locales.
#include "board/DateTime.h"

#include "base/Exceptions.h"
#include "support/Locales.h"
#include "support/Sjis.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace vireziriv {
namespace {

using test::Sjis;

using test::American;
using test::British;
using test::German;
using test::Japanese;

TDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0) {
    return ComposeDateTime(EncodeDate(year, month, day), EncodeTime(hour, minute, second, ms));
}

// "yyyy-mm-dd hh:nn:ss.zzz", or "none", so that tables read as calendar values.
std::string Show(std::optional<TDateTime> value) {
    if (!value) return "none";
    const DateParts d = DecodeDate(*value);
    const TimeParts t = DecodeTime(*value);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", d.year, d.month, d.day, t.hour,
                  t.minute, t.second, t.millisecond);
    return buffer;
}

TEST(EncodeDate, CountsDaysFromTheEndOf1899) {
    const struct {
        int year, month, day;
        double serial;
    } cases[] = {
        {1899, 12, 30, 0},     {1899, 12, 31, 1},      {1900, 1, 1, 2},        {1900, 3, 1, 61},
        {2024, 1, 1, 45292},   {2024, 5, 10, 45422},   {2024, 3, 1, 45352},    {1899, 12, 29, -1},
        {1, 1, 1, -693593},    {9999, 12, 31, 2958465},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
        EXPECT_EQ(TryEncodeDate(c.year, c.month, c.day), c.serial);
        const DateParts back = DecodeDate(c.serial);
        EXPECT_EQ(back.year, c.year);
        EXPECT_EQ(back.month, c.month);
        EXPECT_EQ(back.day, c.day);
    }
}

TEST(EncodeDate, OnlyCalendarDays) {
    const struct {
        int year, month, day;
        bool valid;
    } cases[] = {
        {2024, 2, 29, true},  {2023, 2, 29, false}, {1900, 2, 29, false}, {2000, 2, 29, true},
        {2024, 2, 30, false}, {2024, 4, 30, true},  {2024, 4, 31, false}, {2024, 12, 31, true},
        {2024, 1, 0, false},  {2024, 0, 1, false},  {2024, 13, 1, false}, {0, 1, 1, false},
        {10000, 1, 1, false}, {9999, 12, 31, true}, {1, 1, 1, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TryEncodeDate(c.year, c.month, c.day).has_value(), c.valid)
            << c.year << "-" << c.month << "-" << c.day;
    }
    EXPECT_THROW(EncodeDate(2024, 2, 30), EConvertError);
}

TEST(EncodeTime, OnlyTimesOfDay) {
    EXPECT_EQ(TryEncodeTime(0, 0, 0, 0), 0.0);
    EXPECT_EQ(TryEncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(TryEncodeTime(18, 0, 0, 0), 0.75);
    EXPECT_EQ(Show(TryEncodeTime(23, 59, 59, 999)), "1899-12-30 23:59:59.999");
    const int invalid[][4] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}};
    for (const auto& t : invalid) {
        EXPECT_FALSE(TryEncodeTime(t[0], t[1], t[2], t[3])) << t[0] << ":" << t[1] << ":" << t[2] << "." << t[3];
    }
    EXPECT_THROW(EncodeTime(25, 0, 0, 0), EConvertError);
}

TEST(DateTimeValue, TimeOfDayBeforeTheEpochCountsFromMidnight) {
    const TDateTime t = At(1899, 12, 29, 6);
    EXPECT_EQ(t, -1.25);
    EXPECT_EQ(Show(t), "1899-12-29 06:00:00.000");
    EXPECT_EQ(DateOf(t), -1);
    EXPECT_EQ(DateOf(At(2024, 5, 10, 23, 59, 59, 999)), 45422);
}

TEST(DateTimeValue, DayOfWeekStartsOnSunday) {
    const struct {
        TDateTime value;
        int day;
    } cases[] = {
        {At(2024, 5, 10, 12), 5}, {At(2024, 5, 12), 0}, {At(2024, 5, 11, 23, 59), 6}, {At(2024, 5, 13), 1},
        {At(1899, 12, 30), 6},    {At(1899, 12, 24, 18), 0}, {At(1, 1, 1), 1},
    };
    for (const auto& c : cases) EXPECT_EQ(DayOfWeek(c.value), c.day) << Show(c.value);
}

TEST(DateTimeValue, FromTheLocalClock) {
    EXPECT_EQ(ToDateTime({2024, 5, 10, 12, 0, 0, 0}), 45422.5);
    EXPECT_EQ(Show(ToDateTime({2024, 2, 29, 23, 59, 59, 999})), "2024-02-29 23:59:59.999");
    const TDateTime before = ToDateTime(platform::LocalNow());
    const TDateTime now = Now();
    EXPECT_LE(before, now);
    EXPECT_LE(now, ToDateTime(platform::LocalNow()));
}

TEST(FormatMonthDayWeekday, NoLeadingZerosAndTheLocaleDayName) {
    EXPECT_EQ(FormatMonthDayWeekday(At(2024, 5, 10, 9), Japanese()), Sjis("5/10(金)"));
    EXPECT_EQ(FormatMonthDayWeekday(At(2024, 5, 9), Japanese()), Sjis("5/9(木)"));
    EXPECT_EQ(FormatMonthDayWeekday(At(2024, 12, 1, 23, 59, 59, 999), Japanese()), Sjis("12/1(日)"));
    EXPECT_EQ(FormatMonthDayWeekday(At(2024, 5, 20), American()), "5/20(Mon)");
    // The slash is literal, whatever the locale's separator.
    EXPECT_EQ(FormatMonthDayWeekday(At(2024, 11, 5), German()), "11/5(Di)");
}

struct ConversionCase {
    const char* text;  // UTF-8
    const char* expected;
};

TEST(StrToDate, YearFirstLocale) {
    const ConversionCase cases[] = {
        {"2024/05/10", "2024-05-10 00:00:00.000"},
        {"2024/5/9", "2024-05-09 00:00:00.000"},
        {"  2024 / 05 /  10", "2024-05-10 00:00:00.000"},
        {"2024/05/10/", "2024-05-10 00:00:00.000"},
        {"2024/05/10 / ", "2024-05-10 00:00:00.000"},
        // Two numbers: month and day of the current year.
        {"5/10", "2024-05-10 00:00:00.000"},
        {"12/31 ", "2024-12-31 00:00:00.000"},
        // One or two digits of year fall in 1974 to 2073; leading zeros count as digits.
        {"24/05/10", "2024-05-10 00:00:00.000"},
        {"73/12/31", "2073-12-31 00:00:00.000"},
        {"74/01/01", "1974-01-01 00:00:00.000"},
        {"99/1/1", "1999-01-01 00:00:00.000"},
        {"0/1/1", "2000-01-01 00:00:00.000"},
        {"0024/05/10", "0024-05-10 00:00:00.000"},
        {"2024/02/29", "2024-02-29 00:00:00.000"},
        {"2024/02/30", "none"},
        {"2023/02/29", "none"},
        {"2024/13/01", "none"},
        {"2024/00/10", "none"},
        {"0000/01/01", "none"},
        {"20245/1/1", "none"},
        {"2024/5/00010", "none"},
        {"2024/05/10 9", "none"},
        {"2024/05/10 17:00", "none"},
        {"2024/05/10x", "none"},
        {"2024-05-10", "none"},
        {"2024/05/", "none"},
        // A separator after the second number commits to a third.
        {"5/10/", "none"},
        {"2024//10", "none"},
        {"/05/10", "none"},
        {"5", "none"},
        {"", "none"},
        {" ", "none"},
        {"来週", "none"},
        {"２０２４/05/10", "none"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Show(TryStrToDate(Sjis(c.text), Japanese(), 2024)), c.expected) << "text: '" << c.text << "'";
    }
}

TEST(StrToDate, CenturyWindowMovesWithTheCurrentYear) {
    EXPECT_EQ(Show(TryStrToDate("73/1/1", Japanese(), 2023)), "1973-01-01 00:00:00.000");
    EXPECT_EQ(Show(TryStrToDate("73/1/1", Japanese(), 2024)), "2073-01-01 00:00:00.000");
    EXPECT_EQ(Show(TryStrToDate("50/1/1", Japanese(), 2000)), "1950-01-01 00:00:00.000");
    EXPECT_EQ(Show(TryStrToDate("49/1/1", Japanese(), 2000)), "2049-01-01 00:00:00.000");
    EXPECT_EQ(Show(TryStrToDate("5/10", Japanese(), 2031)), "2031-05-10 00:00:00.000");
}

TEST(StrToDate, OrderFollowsTheShortDateFormat) {
    platform::UserLocale era = Japanese();
    era.shortDateFormat = "gg ee/MM/dd";
    platform::UserLocale noLetters = Japanese();
    noLetters.shortDateFormat = "//";
    const struct {
        platform::UserLocale locale;
        const char* text;
        const char* expected;
    } cases[] = {
        {Japanese(), "01/02/03", "2001-02-03 00:00:00.000"},
        {British(), "01/02/03", "2003-02-01 00:00:00.000"},
        {American(), "01/02/03", "2003-01-02 00:00:00.000"},
        {era, "01/02/03", "2001-02-03 00:00:00.000"},
        {noLetters, "01/02/03", "2003-01-02 00:00:00.000"},
        {British(), "10/05/2024", "2024-05-10 00:00:00.000"},
        {British(), "10/5", "2024-05-10 00:00:00.000"},
        {British(), "31/12/73", "2073-12-31 00:00:00.000"},
        {British(), "05/31/2024", "none"},
        {American(), "5/10/2024", "2024-05-10 00:00:00.000"},
        {American(), "5/10", "2024-05-10 00:00:00.000"},
        {American(), "10/5", "2024-10-05 00:00:00.000"},
        {American(), "2/30/2024", "none"},
        {German(), "10.05.2024", "2024-05-10 00:00:00.000"},
        {German(), "10.5", "2024-05-10 00:00:00.000"},
        {German(), "10/05/2024", "none"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Show(TryStrToDate(c.text, c.locale, 2024)), c.expected)
            << "text: '" << c.text << "', format " << c.locale.shortDateFormat;
    }
}

TEST(StrToTime, HoursThenOptionalParts) {
    const ConversionCase cases[] = {
        {"17:00", "1899-12-30 17:00:00.000"},
        {"9", "1899-12-30 09:00:00.000"},
        {"09:05:07", "1899-12-30 09:05:07.000"},
        {"9:05:07.250", "1899-12-30 09:05:07.250"},
        {"9:05:07.5", "1899-12-30 09:05:07.005"},
        {"  9 : 05 ", "1899-12-30 09:05:00.000"},
        {"0:00", "1899-12-30 00:00:00.000"},
        {"23:59:59.999", "1899-12-30 23:59:59.999"},
        {"25:00", "none"},
        {"24:00", "none"},
        {"17:60", "none"},
        {"17:00:60", "none"},
        {"17:00:00.1000", "none"},
        {"17:", "none"},
        {"17:00:", "none"},
        {"17.00", "none"},
        {"17:00頃", "none"},
        {"", "none"},
        {"午後", "none"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Show(TryStrToTime(Sjis(c.text), Japanese())), c.expected) << "text: '" << c.text << "'";
    }
}

TEST(StrToTime, AmPmMarkersBeforeOrAfter) {
    const ConversionCase cases[] = {
        {"午後3:30", "1899-12-30 15:30:00.000"},
        {"午後 3:30", "1899-12-30 15:30:00.000"},
        {"3:30 午後", "1899-12-30 15:30:00.000"},
        {"午前9", "1899-12-30 09:00:00.000"},
        {"9:00午前", "1899-12-30 09:00:00.000"},
        {"PM 3", "1899-12-30 15:00:00.000"},
        {"3:00 PM", "1899-12-30 15:00:00.000"},
        {"3:00pm", "1899-12-30 15:00:00.000"},
        {"am 9", "1899-12-30 09:00:00.000"},
        {"12:00 AM", "1899-12-30 00:00:00.000"},
        {"12:15 PM", "1899-12-30 12:15:00.000"},
        {"11:59 PM", "1899-12-30 23:59:00.000"},
        {"午後12", "1899-12-30 12:00:00.000"},
        {"0:00 PM", "none"},
        {"13:00 PM", "none"},
        {"午後13:00", "none"},
        // One marker only: a second one is left over.
        {"午後3:00 PM", "none"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Show(TryStrToTime(Sjis(c.text), Japanese())), c.expected) << "text: '" << c.text << "'";
    }
    // A locale's own markers, and the English ones that every locale accepts.
    EXPECT_EQ(Show(TryStrToTime("3 pm", British())), "1899-12-30 15:00:00.000");
    EXPECT_EQ(Show(TryStrToTime("3 PM", German())), "1899-12-30 15:00:00.000");
    EXPECT_EQ(Show(TryStrToTime(Sjis("3 午後"), American())), "none");
}

TEST(StrToDateTime, DateThenTimeOrTimeAlone) {
    const ConversionCase cases[] = {
        {"2024/05/10 17:00", "2024-05-10 17:00:00.000"},
        {"2024/05/10", "2024-05-10 00:00:00.000"},
        {"2024/05/10 ", "2024-05-10 00:00:00.000"},
        {"2024/05/10 23:59:59", "2024-05-10 23:59:59.000"},
        {"2024/05/10/ 17:00", "2024-05-10 17:00:00.000"},
        {"5/10 午後3:30", "2024-05-10 15:30:00.000"},
        {"2024/05/10 3:30 PM", "2024-05-10 15:30:00.000"},
        {"2024/05/10 PM 1", "2024-05-10 13:00:00.000"},
        // Whatever follows the time is ignored.
        {"2024/05/10 17:00頃", "2024-05-10 17:00:00.000"},
        {"2024/05/10 9 23:59:59", "2024-05-10 09:00:00.000"},
        // A marker after the time belongs to it; without a space the day takes the hour's digits.
        {"2024/05/10 13:00 PM", "none"},
        {"2024/05/1017:00", "none"},
        {"2024/05/10 25:00", "none"},
        {"2024/05/10 abc", "none"},
        {"2024/02/30 17:00", "none"},
        // No date: the whole text as a time.
        {"17:00", "1899-12-30 17:00:00.000"},
        {"PM 3", "1899-12-30 15:00:00.000"},
        {"17:00頃", "none"},
        {"17:00 23:59:59", "none"},
        {"来週 10:00", "none"},
        {"", "none"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Show(TryStrToDateTime(Sjis(c.text), Japanese(), 2024)), c.expected)
            << "text: '" << c.text << "'";
    }
    EXPECT_EQ(Show(TryStrToDateTime("10/05/2024 5:00 pm", British(), 2024)), "2024-05-10 17:00:00.000");
    EXPECT_EQ(Show(TryStrToDateTime("5/10/24 5:00 PM", American(), 2024)), "2024-05-10 17:00:00.000");
    EXPECT_EQ(Show(TryStrToDateTime("20.05.2024 10:00", German(), 2024)), "2024-05-20 10:00:00.000");
}

TEST(StrToDateTime, NegativeDatesKeepTheirTimeOfDay) {
    EXPECT_EQ(TryStrToDateTime("1899/12/29 06:00", Japanese(), 2024), -1.25);
}

TEST(StrToDate, RaisingFormsNameTheText) {
    EXPECT_EQ(StrToDate("2024/05/10", Japanese(), 2024), 45422);
    EXPECT_EQ(StrToTime("12:00", Japanese()), 0.5);
    EXPECT_EQ(StrToDateTime("2024/05/10 12:00", Japanese(), 2024), 45422.5);
    try {
        StrToDate("2024/02/30", Japanese(), 2024);
        ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'2024/02/30' is not a valid date");
    }
    EXPECT_THROW(StrToTime("25:00", Japanese()), EConvertError);
    EXPECT_THROW(StrToDateTime("x", Japanese(), 2024), EConvertError);
}

}  // namespace
}  // namespace vireziriv
