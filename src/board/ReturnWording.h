// The /R wording of a person's return date and time, relative to a reference moment.
#pragma once

#include "board/DateTime.h"
#include "board/VeltoPersonUnit.h"
#include "platform/Locale.h"

#include <string>

namespace vireziriv {

// The return class:
//   -1  the return date cannot be read
//    0  no return date, the PC is off        1  no return date, the PC is on
//    2  the return moment is before `now`    3  on the day of `now`, not before it
//    4  on the next day                      5  on the day after the next
//    6  later than that
// A date without a time counts until 23:59:59 of its day; two-digit and missing years are read
// against the year of `now`.
int ReturnState(const TVeltoPerson& person, TDateTime now,
                const platform::UserLocale& locale = platform::CurrentUserLocale());

// 本日, 明日, 明後日, the return day as m/d(ddd), or the unreadable date as written; then a space
// and the return time as written.
std::string ReturnText(const TVeltoPerson& person, TDateTime now,
                       const platform::UserLocale& locale = platform::CurrentUserLocale());

}  // namespace vireziriv
