// The /R wording of a person's return date and time.
#include "board/ReturnWording.h"

#include "base/Texts.h"

namespace vireziriv {
namespace {

// A return date without a time holds for the whole of its day.
constexpr std::string_view kEndOfDay = "23:59:59";

struct Return {
    int state;
    TDateTime moment;  // meaningful for classes 2 to 6
};

Return Classify(const TVeltoPerson& person, TDateTime now, const platform::UserLocale& locale) {
    if (person.ModoriDate().empty()) return {person.PowerOFF() ? 0 : 1, 0};
    const int year = DecodeDate(now).year;
    const std::string_view time = person.ModoriTime().empty() ? kEndOfDay : person.ModoriTime();
    auto moment = TryStrToDateTime(std::string(person.ModoriDate()).append(" ").append(time), locale, year);
    if (!moment) moment = TryStrToDate(person.ModoriDate(), locale, year);
    if (!moment) return {-1, 0};
    const TDateTime t = *moment;
    if (t < now) return {2, t};
    for (int ahead = 0; ahead < 3; ++ahead) {
        const TDateTime day = DateOf(now + ahead);
        if (t >= day && t < day + 1) return {3 + ahead, t};
    }
    return {6, t};
}

}  // namespace

int ReturnState(const TVeltoPerson& person, TDateTime now, const platform::UserLocale& locale) {
    return Classify(person, now, locale).state;
}

std::string ReturnText(const TVeltoPerson& person, TDateTime now, const platform::UserLocale& locale) {
    const Return r = Classify(person, now, locale);
    std::string worded;
    switch (r.state) {
        case -1: worded = person.ModoriDate(); break;
        case 3: worded = text::kToday; break;
        case 4: worded = text::kTomorrow; break;
        case 5: worded = text::kDayAfterTomorrow; break;
        // The day of the moment just classified, not the date text read again: a date that is
        // only readable together with a time still has a day to word.
        case 2:
        case 6: worded = FormatMonthDayWeekday(r.moment, locale); break;
        default: break;
    }
    return worded.append(" ").append(person.ModoriTime());
}

}  // namespace vireziriv
