// The bytes a person keeps, written over the lines they came from: what is kept, and the check that
// the writer never overtakes the lines still to be read.
#include "board/KeptBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace vireziriv {
namespace {

TEST(KeptBytes, KeepsLinesWithoutTheirBreaksThenTheRestVerbatim) {
    std::string text = "name" + std::string("ab\r\ncd\n\r\nrest\r\nof it");
    TextLines lines(std::string_view(text).substr(4));
    KeptBytes kept(text, 4, lines);
    std::string_view line;
    for (int i = 0; i < 3 && lines.Next(line); ++i) {
        kept.Append(line);
        kept.Append('|');
    }
    EXPECT_EQ(kept.End(), 4u + 7u);
    kept.AppendRestAndEnd();
    EXPECT_EQ(text, "nameab|cd||rest\r\nof it");
}

#ifndef _WIN32
// Only where invariants are checked: a release build trusts the writer.
TEST(KeptBytesDeathTest, WritingAheadOfTheReaderStopsTheProcess) {
    if (!kCheckInvariants) GTEST_SKIP() << "invariants are not checked in this build";
    std::string text = "ab\ncd";
    TextLines lines(text);
    KeptBytes kept(text, 0, lines);
    std::string_view line;
    ASSERT_TRUE(lines.Next(line));
    kept.Append(line);
    kept.Append('\n');
    // "ab\n" is read and rewritten; one more byte would overwrite the unread "c".
    EXPECT_DEATH(kept.Append('x'), "invariant broken");
}
#endif

}  // namespace
}  // namespace vireziriv
