// The board's ShareDir setting read from the current user's registry: types, NULs and absences.
#include "platform/Registry.h"

#include "support/BoardSetting.h"
#include "support/Sjis.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace vireziriv {
namespace {

// Each test writes the setting itself; the user's own setting (or its absence) comes back afterwards.
class BoardShareDirSetting : public testing::Test {
protected:
    static void Write(DWORD type, const std::string& bytes) { ASSERT_TRUE(test::WriteBoardSetting(type, bytes)); }

private:
    test::SavedBoardSetting saved_;
};

TEST_F(BoardShareDirSetting, ReadsStringValues) {
    using namespace std::string_literals;
    struct Case {
        const char* what;
        DWORD type;
        std::string bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"plain string", REG_SZ, "C:\\share\0"s, "C:\\share"},
        {"without its terminating NUL", REG_SZ, "C:\\share"s, "C:\\share"},
        {"with blanks", REG_SZ, "\\\\server\\My Share\\\0"s, "\\\\server\\My Share\\"},
        {"code page 932", REG_SZ, test::Sjis("C:\\共有\\表\0"s), test::Sjis("C:\\共有\\表")},
        {"expandable, not expanded", REG_EXPAND_SZ, "%TEMP%\\board\0"s, "%TEMP%\\board"},
        {"cut at its first NUL", REG_SZ, "C:\\a\0C:\\b\0"s, "C:\\a"},
        {"empty", REG_SZ, "\0"s, ""},
        {"number", REG_DWORD, "\x01\x02\x03\x04"s, ""},
        {"binary", REG_BINARY, "C:\\share"s, ""},
        {"several strings", REG_MULTI_SZ, "C:\\share\0\0"s, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Write(c.type, c.bytes);
        EXPECT_EQ(platform::ReadBoardShareDir(), c.expected);
    }
}

TEST_F(BoardShareDirSetting, MissingValueGivesEmpty) {
    ASSERT_TRUE(test::DeleteBoardSettingValue());
    EXPECT_EQ(platform::ReadBoardShareDir(), "");
}

TEST_F(BoardShareDirSetting, MissingKeyGivesEmpty) {
    Write(REG_SZ, std::string("C:\\share\0", 9));
    ASSERT_TRUE(test::DeleteBoardSettingKey());
    EXPECT_EQ(platform::ReadBoardShareDir(), "");
}

}  // namespace
}  // namespace vireziriv
