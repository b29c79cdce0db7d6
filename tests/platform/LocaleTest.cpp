// Text comparison and date conventions through the Windows user locale (Japanese in the test stage).
#include "platform/Locale.h"

#include "support/Sjis.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace vireziriv {
namespace {

using test::Sjis;

int Sign(int n) { return (n > 0) - (n < 0); }

// The stage sets a Japanese user locale; elsewhere the cases below that depend on it mean nothing.
bool JapaneseUserLocale() { return PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())) == LANG_JAPANESE; }

TEST(UserLocaleComparison, FollowsTheLocaleNotTheBytes) {
    ASSERT_TRUE(JapaneseUserLocale()) << "run with a Japanese user locale (LANG=ja_JP.UTF-8 under Wine)";
    ASSERT_EQ(GetACP(), 932u);
    struct Case {
        const char* what;
        std::string a, b;
        int text;  // sign of CompareText
        int str;   // sign of CompareStr
    };
    const Case cases[] = {
        {"equal", "abc", "abc", 0, 0},
        {"case alone", "abc", "ABC", 0, -1},  // lower case first, though 'a' is above 'A' as a byte
        {"letters before case", "a", "B", -1, -1},
        {"a hyphen weighs less than a letter", "a-c", "ab", 1, 1},
        {"prefix first", "ab", "abc", -1, -1},
        {"full-width case", Sjis("ａ"), Sjis("Ａ"), 0, -1},
        {"kanji in the Japanese order", Sjis("亜"), Sjis("一"), -1, -1},  // U+4E9C after U+4E00
        {"double-byte equal", Sjis("営業"), Sjis("営業"), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Sign(platform::CompareText(c.a, c.b)), c.text);
        EXPECT_EQ(Sign(platform::CompareText(c.b, c.a)), -c.text);
        EXPECT_EQ(Sign(platform::CompareStr(c.a, c.b)), c.str);
        EXPECT_EQ(Sign(platform::CompareStr(c.b, c.a)), -c.str);
    }
}

TEST(UserLocaleComparison, EmptyViewsCompareAsEmptyTexts) {
    const std::string_view none;  // no bytes at all, not even a pointer
    EXPECT_EQ(platform::CompareText(none, ""), 0);
    EXPECT_EQ(platform::CompareStr("", none), 0);
    EXPECT_LT(platform::CompareText(none, "a"), 0);
    EXPECT_GT(platform::CompareStr("a", none), 0);
}

// The user's own setting wins over the locale's default, as the board's programs see it: the short
// date format is set here to Windows' Japanese default (Wine's own is yyyy/M/d) and put back after.
TEST(UserLocaleConventions, ComeFromTheUserSettings) {
    ASSERT_TRUE(JapaneseUserLocale());
    constexpr const char* kInternational = "Control Panel\\International";
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kInternational, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    char saved[128] = {};
    DWORD savedSize = sizeof saved;
    const bool hadSetting =
        RegQueryValueExA(key, "sShortDate", nullptr, nullptr, reinterpret_cast<BYTE*>(saved), &savedSize) ==
        ERROR_SUCCESS;
    constexpr char kFormat[] = "yyyy/MM/dd";
    ASSERT_EQ(RegSetValueExA(key, "sShortDate", 0, REG_SZ, reinterpret_cast<const BYTE*>(kFormat), sizeof kFormat),
              ERROR_SUCCESS);

    const platform::UserLocale& locale = platform::CurrentUserLocale();

    if (hadSetting) {
        RegSetValueExA(key, "sShortDate", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved), savedSize);
    } else {
        RegDeleteValueA(key, "sShortDate");
    }
    RegCloseKey(key);

    EXPECT_EQ(locale.shortDateFormat, kFormat);
    EXPECT_EQ(locale.dateSeparator, "/");
    EXPECT_EQ(locale.timeSeparator, ":");
    EXPECT_EQ(locale.decimalSeparator, ".");
    EXPECT_EQ(locale.timeAmString, Sjis("午前"));
    EXPECT_EQ(locale.timePmString, Sjis("午後"));
    const char* const days[] = {"日", "月", "火", "水", "木", "金", "土"};  // Sunday first
    for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(locale.shortDayNames[i], Sjis(days[i])) << "day " << i;
}

}  // namespace
}  // namespace vireziriv
