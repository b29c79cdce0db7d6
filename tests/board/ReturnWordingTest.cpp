// The return class and the /R wording, against Friday 10 May 2024 12:00 on several locales.
#include "board/ReturnWording.h"

#include "support/Locales.h"
#include "support/Sjis.h"

#include <gtest/gtest.h>

namespace vireziriv {
namespace {

using test::Sjis;

const TDateTime kNow = EncodeDate(2024, 5, 10) + EncodeTime(12, 0, 0, 0);

using test::American;
using test::British;
using test::German;
using test::Japanese;

TVeltoPerson Person(std::string date, std::string time, bool powerOff = false) {
    TVeltoPerson p;
    p.SetModoriDate(date);
    p.SetModoriTime(time);
    p.SetPowerOFF(powerOff);
    return p;
}

struct Case {
    const char* date;  // UTF-8
    const char* time;  // UTF-8
    int state;
    const char* text;  // UTF-8
};

template <std::size_t N>
void CheckAll(const Case (&cases)[N], const platform::UserLocale& locale, TDateTime now = kNow) {
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "date '" << c.date << "', time '" << c.time << "'");
        const TVeltoPerson p = Person(Sjis(c.date), Sjis(c.time));
        EXPECT_EQ(ReturnState(p, now, locale), c.state);
        EXPECT_EQ(ReturnText(p, now, locale), Sjis(c.text));
    }
}

TEST(ReturnWording, NoReturnDate) {
    const struct {
        const char* time;
        bool powerOff;
        int state;
        const char* text;
    } cases[] = {
        {"", true, 0, " "},
        {"", false, 1, " "},
        {"17:00", true, 0, " 17:00"},
        {"17:00", false, 1, " 17:00"},
    };
    for (const auto& c : cases) {
        const TVeltoPerson p = Person("", c.time, c.powerOff);
        EXPECT_EQ(ReturnState(p, kNow, Japanese()), c.state) << c.time << " " << c.powerOff;
        EXPECT_EQ(ReturnText(p, kNow, Japanese()), c.text) << c.time << " " << c.powerOff;
    }
}

TEST(ReturnWording, YearFirstLocale) {
    const Case cases[] = {
        {"2024/05/10", "17:00", 3, "本日 17:00"},
        {"2024/05/10", "", 3, "本日 "},
        {"2024/05/10", "12:00", 3, "本日 12:00"},
        {"2024/05/10", "11:59", 2, "5/10(金) 11:59"},
        {"2024/05/10", "09:00", 2, "5/10(金) 09:00"},
        {"2024/05/11", "09:00", 4, "明日 09:00"},
        {"2024/05/11", "", 4, "明日 "},
        {"2024/05/11", "23:59:59", 4, "明日 23:59:59"},
        {"2024/05/12", "10:00", 5, "明後日 10:00"},
        {"2024/05/12", "0:00", 5, "明後日 0:00"},
        {"2024/05/13", "0:00", 6, "5/13(月) 0:00"},
        {"2024/05/20", "10:00", 6, "5/20(月) 10:00"},
        {"2025/01/01", "", 6, "1/1(水) "},
        {"2024/05/09", "", 2, "5/9(木) "},
        {"2024/05/09", "23:59", 2, "5/9(木) 23:59"},
        {"2023/12/31", "", 2, "12/31(日) "},
        // Dates as people write them: spaces, two numbers of the current year, two-digit years.
        {" 2024 / 5 / 11", "9:00", 4, "明日 9:00"},
        {"2024/05/11/", "", 4, "明日 "},
        {"5/11", "9:00", 4, "明日 9:00"},
        {"5/9", "", 2, "5/9(木) "},
        {"24/5/12", "", 5, "明後日 "},
        {"73/5/12", "", 6, "5/12(金) "},
        {"74/5/12", "", 2, "5/12(日) "},
        // Times with AM/PM markers before or after.
        {"2024/05/10", "午後3:00", 3, "本日 午後3:00"},
        {"2024/05/10", "3:00 PM", 3, "本日 3:00 PM"},
        {"2024/05/10", "午前9:00", 2, "5/10(金) 午前9:00"},
        {"2024/05/10", "12:30 AM", 2, "5/10(金) 12:30 AM"},
        {"2024/05/10", "12:30 PM", 3, "本日 12:30 PM"},
        // Text after the time is ignored.
        {"2024/05/10", "17:00頃", 3, "本日 17:00頃"},
        {"2024/05/11", "9時", 4, "明日 9時"},
        // A time that cannot be read leaves the date at midnight.
        {"2024/05/10", "25:00", 2, "5/10(金) 25:00"},
        {"2024/05/10", "13:00 PM", 2, "5/10(金) 13:00 PM"},
        {"2024/05/11", "夕方", 4, "明日 夕方"},
        {"2024/05/12", "午後", 5, "明後日 午後"},
        // A date only readable together with a time words the day of that moment.
        {"2024/05/10 9", "", 2, "5/10(金) "},
        {"2024/05/20 9", "", 6, "5/20(月) "},
        {"2024/05/10 17", "", 3, "本日 "},
        // Dates that cannot be read are printed as written.
        {"来週", "10:00", -1, "来週 10:00"},
        {"来週", "", -1, "来週 "},
        {"2024/02/30", "", -1, "2024/02/30 "},
        {"2024-05-10", "17:00", -1, "2024-05-10 17:00"},
        {"17:00", "", -1, "17:00 "},
        {"10/05/2024", "", -1, "10/05/2024 "},
    };
    CheckAll(cases, Japanese());
}

TEST(ReturnWording, PowerStateMattersOnlyWithoutADate) {
    EXPECT_EQ(ReturnText(Person("2024/05/11", "9:00", true), kNow, Japanese()), Sjis("明日 9:00"));
    EXPECT_EQ(ReturnState(Person("2024/05/11", "9:00", true), kNow, Japanese()), 4);
}

TEST(ReturnWording, DayFirstLocale) {
    const Case cases[] = {
        {"10/05/2024", "17:00", 3, "本日 17:00"},
        {"11/05/2024", "09:00", 4, "明日 09:00"},
        {"12/5", "", 5, "明後日 "},
        {"20/05/2024", "10:00", 6, "5/20(Mon) 10:00"},
        {"05/11/2024", "", 6, "11/5(Tue) "},
        {"9/5/24", "", 2, "5/9(Thu) "},
        {"10/05/2024", "5:00 pm", 3, "本日 5:00 pm"},
        {"10/05/2024", "9:00 am", 2, "5/10(Fri) 9:00 am"},
        {"05/31/2024", "", -1, "05/31/2024 "},
        {"2024/05/10", "", -1, "2024/05/10 "},
    };
    CheckAll(cases, British());
}

TEST(ReturnWording, DayFirstLocaleWithDots) {
    const Case cases[] = {
        {"10.05.2024", "17:00", 3, "本日 17:00"},
        {"20.05.2024", "10:00", 6, "5/20(Mo) 10:00"},
        {"9.5", "", 2, "5/9(Do) "},
        {"10/05/2024", "", -1, "10/05/2024 "},
    };
    CheckAll(cases, German());
}

TEST(ReturnWording, MonthFirstLocale) {
    const Case cases[] = {
        {"5/10/2024", "5:00 PM", 3, "本日 5:00 PM"},
        {"5/11/2024", "9:00 AM", 4, "明日 9:00 AM"},
        {"5/12", "", 5, "明後日 "},
        {"5/20/2024", "10:00", 6, "5/20(Mon) 10:00"},
        {"11/5/2024", "", 6, "11/5(Tue) "},
        {"5/9/24", "", 2, "5/9(Thu) "},
        {"5/10/2024", "9:00 AM", 2, "5/10(Fri) 9:00 AM"},
        {"13/5/2024", "", -1, "13/5/2024 "},
    };
    CheckAll(cases, American());
}

TEST(ReturnWording, YearsAreReadAgainstTheYearOfNow) {
    const TDateTime newYearsEve = EncodeDate(2023, 12, 31) + EncodeTime(18, 0, 0, 0);
    const Case cases[] = {
        {"1/1", "", 2, "1/1(日) "},
        {"12/31", "", 3, "本日 "},
        {"73/1/1", "", 2, "1/1(月) "},
        {"2024/01/01", "", 4, "明日 "},
    };
    CheckAll(cases, Japanese(), newYearsEve);
}

TEST(ReturnWording, DayBoundariesFollowNow) {
    // Just before midnight the next day is only minutes away.
    const TDateTime lateNight = EncodeDate(2024, 5, 10) + EncodeTime(23, 59, 0, 0);
    const Case cases[] = {
        {"2024/05/10", "", 3, "本日 "},
        {"2024/05/10", "23:58", 2, "5/10(金) 23:58"},
        {"2024/05/11", "0:00", 4, "明日 0:00"},
        {"2024/05/12", "23:59:59", 5, "明後日 23:59:59"},
        {"2024/05/13", "0:00", 6, "5/13(月) 0:00"},
    };
    CheckAll(cases, Japanese(), lateNight);
}

#ifndef _WIN32
TEST(ReturnWording, DefaultLocaleIsTheJapaneseStandIn) {
    EXPECT_EQ(ReturnText(Person("2024/05/20", "10:00"), kNow), Sjis("5/20(月) 10:00"));
    EXPECT_EQ(ReturnText(Person("2024/05/10", Sjis("午後3:00")), kNow), Sjis("本日 午後3:00"));
    EXPECT_EQ(ReturnState(Person("20/05/2024", ""), kNow), -1);
}
#endif

}  // namespace
}  // namespace vireziriv
