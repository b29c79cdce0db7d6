// Fuzzes the date, time and date-and-time conversions under several locales, and the /R wording of
// a return date and time against a reference moment.
#include "Fuzz.h"
#include "base/Texts.h"
#include "board/DateTime.h"
#include "board/ReturnWording.h"
#include "board/VeltoPersonUnit.h"

#include <array>
#include <cmath>
#include <string>

using namespace vireziriv;
using fuzz::Require;

namespace {

platform::UserLocale Locale(std::uint8_t which) {
    const std::array<std::string, 7> english = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    switch (which % 4) {
        case 0: return platform::CurrentUserLocale();  // year first, as on a Japanese PC
        case 1: return {"dd/MM/yyyy", "/", ":", ".", "am", "pm", english};
        case 2: return {"M/d/yyyy", "/", ":", ".", "AM", "PM", english};
        default: return {"dd.MM.yyyy", ".", ":", ",", "", "", english};
    }
}

// A date written back in the locale's order, with four-digit years.
std::string Written(const DateParts& d, const platform::UserLocale& locale) {
    const std::string y = std::to_string(d.year), m = std::to_string(d.month), day = std::to_string(d.day);
    const std::string& s = locale.dateSeparator;
    switch (locale.shortDateFormat.front()) {
        case 'd': return day + s + m + s + y;
        case 'y': return y + s + m + s + day;
        default: return m + s + day + s + y;
    }
}

void CheckDate(std::optional<TDateTime> date, const platform::UserLocale& locale, int currentYear) {
    if (!date) return;
    Require(std::isfinite(*date) && *date == std::trunc(*date), "a date is a whole day");
    const DateParts d = DecodeDate(*date);
    Require(d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 &&
                d.day <= DaysInMonth(d.year, d.month),
            "a date is on the calendar");
    // A year of one or two digits would be completed with a century.
    if (d.year >= 100) {
        Require(TryStrToDate(Written(d, locale), locale, currentYear) == date,
                "a date written back in the locale's order reads as the same day");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const platform::UserLocale locale = Locale(flags);
    // A reference moment within about 90 years of 10 May 2024, at any time of day.
    const int offset = static_cast<std::int16_t>(in.Byte() << 8 | in.Byte());
    const TDateTime now = EncodeDate(2024, 5, 10) + offset + in.Byte() / 256.0;
    const int currentYear = DecodeDate(now).year;

    TVeltoPerson person;
    person.SetPowerOFF(flags & 0x80);
    person.SetModoriDate(in.Until('\n'));
    person.SetModoriTime(in.Rest());

    const int state = ReturnState(person, now, locale);
    Require(state >= -1 && state <= 6, "the return class is one of the known ones");
    const std::string text = ReturnText(person, now, locale);
    const std::string tail = " " + std::string(person.ModoriTime());
    Require(text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0,
            "the wording ends with a space and the return time");
    const std::string worded = text.substr(0, text.size() - tail.size());
    switch (state) {
        case -1: Require(worded == person.ModoriDate(), "an unreadable date is shown as written"); break;
        case 0:
        case 1: Require(worded.empty() && person.ModoriDate().empty(), "no date, no wording"); break;
        case 3: Require(worded == text::kToday, "today"); break;
        case 4: Require(worded == text::kTomorrow, "tomorrow"); break;
        case 5: Require(worded == text::kDayAfterTomorrow, "the day after tomorrow"); break;
        default: Require(!worded.empty() && worded.back() == ')', "a month, a day and a day name"); break;
    }

    for (const std::string_view s : {person.ModoriDate(), person.ModoriTime()}) {
        const auto date = TryStrToDate(s, locale, currentYear);
        CheckDate(date, locale, currentYear);
        const auto time = TryStrToTime(s, locale);
        if (time) Require(*time >= 0 && *time < 1, "a time is a fraction of a day");
        const auto both = TryStrToDateTime(s, locale, currentYear);
        if (date) Require(both == date, "a date alone reads the same as a date and time");
        if (time) Require(both.has_value(), "a time alone reads as a date and time");
        if (both) Require(std::isfinite(*both) && *both < 2958466, "a date and time is finite and on the calendar");
    }
    return 0;
}
